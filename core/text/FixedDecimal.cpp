#include "text/FixedDecimal.h"

#include <cstdio>
#include <string>

// mingw's own printf gives exact digits and ties to even like glibc; msvcrt's does not.
#if defined(__MINGW32__) && !__USE_MINGW_ANSI_STDIO
#error "PrintFixed needs mingw's ANSI stdio (__USE_MINGW_ANSI_STDIO=1)"
#endif

namespace trovelle {

std::u16string PrintFixed(double value, int decimals) {
    const int length = std::snprintf(nullptr, 0, "%.*f", decimals, value);
    if (length <= 0) return {};
    std::string printed(static_cast<size_t>(length), '\0');
    std::snprintf(printed.data(), printed.size() + 1, "%.*f", decimals, value);
    std::u16string text;
    text.reserve(printed.size());
    for (const char c : printed) {
        // The values are never negative, so anything but a digit is the decimal point, which
        // must read '.' even if some host set a C locale with another one.
        text.push_back(c >= '0' && c <= '9' ? static_cast<char16_t>(c) : u'.');
    }
    return text;
}

}  // namespace trovelle
