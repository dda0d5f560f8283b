#include "text/CellNumber.h"

namespace trovelle {

std::optional<uint64_t> WholeNumberInCell(std::u16string_view text) {
    const size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return std::nullopt;
    const size_t last = text.find_last_not_of(u' ');
    const std::u16string_view digits = text.substr(first, last - first + 1);
    uint64_t value = 0;
    for (const char16_t unit : digits) {
        if (unit < u'0' || unit > u'9') return std::nullopt;
        const uint64_t digit = static_cast<uint64_t>(unit - u'0');
        if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace trovelle
