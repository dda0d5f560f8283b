#include "text/CsvText.h"

#include <gtest/gtest.h>

namespace trovelle {
namespace {

TEST(CsvField, QuotesOnlyWhatASpreadsheetWouldSplit) {
    EXPECT_EQ(CsvField(u"plain name.txt"), "plain name.txt");
    EXPECT_EQ(CsvField(u""), "");
    EXPECT_EQ(CsvField(u"a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField(u"say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField(u"\""), "\"\"\"\"");
    EXPECT_EQ(CsvField(u"two\r\nlines"), "\"two\r\nlines\"");
    EXPECT_EQ(CsvField(u"line\n"), "\"line\n\"");
    EXPECT_EQ(CsvField(u"semi;colon 'single'"), "semi;colon 'single'");
}

TEST(CsvField, WritesUtf8AndReplacesLoneSurrogates) {
    EXPECT_EQ(CsvField(u"\u00C4rger"), "\xC3\x84rger");
    EXPECT_EQ(CsvField(u"\u20AC"), "\xE2\x82\xAC");
    EXPECT_EQ(CsvField(u"\U0001F600"), "\xF0\x9F\x98\x80");
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(CsvField(std::u16string{u'a', 0xD83D}), "a" + replacement);     // high at the end
    EXPECT_EQ(CsvField(std::u16string{0xDE00, u'b'}), replacement + "b");     // low alone
    EXPECT_EQ(CsvField(std::u16string{0xD83D, u'x'}), replacement + "x");     // high, no low
    EXPECT_EQ(CsvField(std::u16string{0xD83D, 0xD83D, 0xDE00}), replacement + "\xF0\x9F\x98\x80");
}

TEST(CsvLine, JoinsWithCommasAndEndsWithCrLf) {
    EXPECT_EQ(CsvLine({"a", "\"b,c\"", ""}), "a,\"b,c\",\r\n");
    EXPECT_EQ(CsvLine({""}), "\r\n");
}

TEST(IsoDateTime, CountsFrom1601InUtc) {
    EXPECT_EQ(IsoDateTime(0), "") << "a time never set";
    EXPECT_EQ(IsoDateTime(1), "1601-01-01T00:00:00Z");
    EXPECT_EQ(IsoDateTime(315359990000000), "1601-12-31T23:59:59Z");
    EXPECT_EQ(IsoDateTime(116444736000000000), "1970-01-01T00:00:00Z");
    EXPECT_EQ(IsoDateTime(134412464200000000), "2026-12-08T23:33:40Z");
    EXPECT_EQ(IsoDateTime(134412464209999999), "2026-12-08T23:33:40Z") << "fractions are cut";
    EXPECT_EQ(IsoDateTime(2650467743990000000), "9999-12-31T23:59:59Z");
}

TEST(IsoDateTime, KnowsTheLeapDays) {
    EXPECT_EQ(IsoDateTime(125962992010000000), "2000-02-29T12:00:01Z");
    EXPECT_EQ(IsoDateTime(133537247990000000), "2024-02-29T23:59:59Z");
    // 1900 is no leap year: the day after 28 February is 1 March.
    EXPECT_EQ(IsoDateTime(94405824000000000), "1900-03-01T00:00:00Z");
    EXPECT_EQ(IsoDateTime(94405824000000000 - 1), "1900-02-28T23:59:59Z");
}

}  // namespace
}  // namespace trovelle
