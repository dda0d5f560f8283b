// One argument of a Windows command line, quoted so that the program receives it unchanged.
#pragma once

#include <string>
#include <string_view>

namespace trovelle {

// `argument` in double quotes, read back whole by CommandLineToArgvW and the C runtime: quotes
// inside are escaped, and backslashes are doubled where they come before a quote (a drive root
// "D:\" would otherwise swallow its closing quote).
std::u16string QuoteArgument(std::u16string_view argument);

}  // namespace trovelle
