#include "text/CommandLineArgument.h"

namespace trovelle {

std::u16string QuoteArgument(std::u16string_view argument) {
    std::u16string quoted = u"\"";
    size_t backslashes = 0;
    for (const char16_t unit : argument) {
        if (unit == u'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count double only before a quote.
        quoted.append(unit == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
        backslashes = 0;
        quoted += unit;
    }
    quoted.append(backslashes * 2, u'\\');  // the closing quote follows them
    quoted += u'"';
    return quoted;
}

}  // namespace trovelle
