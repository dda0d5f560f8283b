// Byte counts to floating point, the way the column handler has always converted them.
#pragma once

#include <cstdint>

namespace trovelle {

// A count of 2^63 or more goes through the signed conversion and then gets 2^64 added. That
// rounds twice, which can differ from a direct unsigned conversion in the last place; the
// shown texts depend on it, so both conversions keep this form.
inline double ToDouble(uint64_t count) {
    const auto asSigned = static_cast<int64_t>(count);
    double value = static_cast<double>(asSigned);
    if (asSigned < 0) value += 18446744073709551616.0;
    return value;
}

inline float ToFloat(uint64_t count) {
    const auto asSigned = static_cast<int64_t>(count);
    float value = static_cast<float>(asSigned);
    if (asSigned < 0) value += 18446744073709551616.0f;
    return value;
}

}  // namespace trovelle
