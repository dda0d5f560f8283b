#include "text/CommandLineArgument.h"

#include <gtest/gtest.h>

namespace trovelle {
namespace {

// What a started program must read back as its one argument, by the command-line rules of
// Windows (backslashes are literal unless a quote follows them).
TEST(QuoteArgument, FoldersArriveWhole) {
    EXPECT_EQ(QuoteArgument(u"C:\\Program Files\\Data"), u"\"C:\\Program Files\\Data\"");
    EXPECT_EQ(QuoteArgument(u"D:\\"), u"\"D:\\\\\"") << "a root must not escape its closing quote";
    EXPECT_EQ(QuoteArgument(u"\\\\server\\share\\"), u"\"\\\\server\\share\\\\\"");
    EXPECT_EQ(QuoteArgument(u""), u"\"\"");
}

TEST(QuoteArgument, QuotesInsideAreEscaped) {
    EXPECT_EQ(QuoteArgument(u"a\"b"), u"\"a\\\"b\"");
    EXPECT_EQ(QuoteArgument(u"a\\\"b"), u"\"a\\\\\\\"b\"");
}

}  // namespace
}  // namespace trovelle
