// Sorting by a handler's column compares numbers only where the cell shows nothing else.
#include "text/CellNumber.h"

#include <gtest/gtest.h>

namespace trovelle {
namespace {

TEST(CellNumber, PaddedDigitsAreNumbersUpToTheLargestSize) {
    EXPECT_EQ(WholeNumberInCell(u"0"), 0u);
    EXPECT_EQ(WholeNumberInCell(u"         1048576"), 1048576u);
    EXPECT_EQ(WholeNumberInCell(u" 42 "), 42u);
    EXPECT_EQ(WholeNumberInCell(u"18446744073709551615"), UINT64_MAX);
    // Leading zeros do not make a text order: 007 is seven.
    EXPECT_EQ(WholeNumberInCell(u"007"), 7u);
}

TEST(CellNumber, SizeTextsErrorsAndOverflowAreNotNumbers) {
    for (const std::u16string_view text :
         {u"", u"   ", u"12 KB", u"1,024", u"1.5", u"-3", u"+3", u"1 2", u"Error code: 0x5",
          u"18446744073709551616", u"99999999999999999999999", u"\u2026"}) {
        EXPECT_EQ(WholeNumberInCell(text), std::nullopt)
            << std::string(text.begin(), text.end());
    }
}

}  // namespace
}  // namespace trovelle
