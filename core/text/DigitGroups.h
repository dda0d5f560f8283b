// Thousands grouping of a printed number.
#pragma once

#include <string>

namespace trovelle {

// Puts `separator` between groups of three digits of the integer part of `number`, which has
// `decimals` digits after its point (0: no point at all). A separator of 0 groups nothing.
std::u16string GroupDigits(std::u16string number, int decimals, char16_t separator);

}  // namespace trovelle
