// Byte totals that stop at the largest value instead of wrapping: a deep lattice of links or
// files of huge sparse lengths can add up past 2^64, and a wrapped total would look small.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <limits>

namespace trovelle {

inline uint64_t AddCapped(uint64_t a, uint64_t b) {
    return b > std::numeric_limits<uint64_t>::max() - a ? std::numeric_limits<uint64_t>::max()
                                                        : a + b;
}

// What files hold and what they take, as Explorer's Properties shows them: their lengths
// ("Size") and the space allocated to them ("Size on disk"). A sparse or compressed file takes
// less than it holds, a small one more, and a cloud file that is online only takes nothing.
struct ByteTotals {
    uint64_t bytes = 0;
    uint64_t onDisk = 0;

    bool operator==(const ByteTotals&) const = default;
};

inline ByteTotals AddCapped(const ByteTotals& a, const ByteTotals& b) {
    return {AddCapped(a.bytes, b.bytes), AddCapped(a.onDisk, b.onDisk)};
}

// How a failed expectation in the tests shows a pair (found by argument-dependent lookup).
void PrintTo(const ByteTotals& totals, std::ostream* out);

}  // namespace trovelle
