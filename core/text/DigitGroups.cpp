#include "text/DigitGroups.h"

namespace trovelle {

std::u16string GroupDigits(std::u16string number, int decimals, char16_t separator) {
    if (separator == 0) return number;
    const size_t fractionLength = decimals > 0 ? static_cast<size_t>(decimals) + 1 : 0;
    if (number.size() <= fractionLength) return number;
    // Right to left, so the positions still to come are not shifted by earlier insertions.
    for (size_t at = number.size() - fractionLength; at > 3;) {
        at -= 3;
        number.insert(at, 1, separator);
    }
    return number;
}

}  // namespace trovelle
