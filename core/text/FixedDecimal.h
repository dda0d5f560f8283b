// printf's "%.Nf" as UTF-16 text, identical on every build.
#pragma once

#include <string>

namespace trovelle {

// The exact binary value rounded to `decimals` places (ties to even, as the C library does);
// the decimal point is always '.', whatever the locale.
std::u16string PrintFixed(double value, int decimals);

}  // namespace trovelle
