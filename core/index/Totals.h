// Byte totals that stop at the largest value instead of wrapping: a deep lattice of links or
// files of huge sparse lengths can add up past 2^64, and a wrapped total would look small.
#pragma once

#include <cstdint>
#include <limits>

namespace trovelle {

inline uint64_t AddCapped(uint64_t a, uint64_t b) {
    return b > std::numeric_limits<uint64_t>::max() - a ? std::numeric_limits<uint64_t>::max()
                                                        : a + b;
}

}  // namespace trovelle
