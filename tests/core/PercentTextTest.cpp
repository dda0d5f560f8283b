#include "text/PercentText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "text/CellText.h"

namespace trovelle {
namespace {

constexpr char16_t kBullet = u'\u2022';
constexpr uint64_t kLargest = std::numeric_limits<uint64_t>::max();

std::u16string Bar(size_t length, char16_t symbol = kBullet) {
    return std::u16string(length, symbol);
}

struct Case {
    uint64_t item, parent;
    int64_t style;
    char16_t symbol;
    std::u16string expected;
};

void ExpectAll(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(FormatPercentText(c.item, c.parent, {c.style, c.symbol}), c.expected)
            << c.item << " of " << c.parent << ", style " << c.style << ", symbol U+" << std::hex
            << int(c.symbol);
    }
}

TEST(PercentText, DocumentedExamples) {
    ExpectAll({
        {250, 1000, 0, kBullet, Bar(12) + u" 25.00 %"},
        {250, 1000, 1, kBullet, u" 25.00 %"},
        {250, 1000, 2, kBullet, Bar(12)},
        {1000, 1000, 0, kBullet, Bar(50) + u" 100.00 %"},  // the parent's only content
        {1, 1000, 0, kBullet, u" 0.10 %"},
        {19, 1000, 2, kBullet, u""},  // below 2 %: no symbol and no value, yet a text
        {250, 1000, 0, 0, u" 25.00 %"},  // an empty symbol setting draws no bar
        {250, 1000, 2, 0, u""},
        {250, 1000, 0, u'|', Bar(12, u'|') + u" 25.00 %"},
    });
}

TEST(PercentText, StylesOtherThan1And2DrawBoth) {
    for (const int64_t style : {int64_t{-1}, int64_t{3}, int64_t{1} << 32,
                                std::numeric_limits<int64_t>::min()}) {
        ExpectAll({{250, 1000, style, kBullet, Bar(12) + u" 25.00 %"}});
    }
}

TEST(PercentText, EmptyParentGivesEmptyText) {
    for (const int64_t style : {0, 1, 2}) {
        ExpectAll({{0, 0, style, kBullet, u""}, {kLargest, 0, style, kBullet, u""}});
    }
}

TEST(PercentText, ComputesInSinglePrecision) {
    ExpectAll({
        // 50,000,001 becomes 5e7 as a float, so the ratio is exactly 1: one symbol, where
        // double precision gives 0.99999998 and none.
        {1000000, 50000001, 2, kBullet, Bar(1)},
        // The float quotient lands on the other side of the rounding boundary than the
        // double one (98.05499..., 69.69500...).
        {1462, 1491, 0, kBullet, Bar(49) + u" 98.06 %"},
        {1074, 1541, 1, kBullet, u" 69.69 %"},
        {0, 1000, 0, kBullet, u" 0.00 %"},
        {97, 800, 1, kBullet, u" 12.12 %"},  // exactly 12.125: ties to even
    });
}

TEST(PercentText, CountsFrom2To63ConvertAsSignedPlus2To64) {
    // -(2^63 - 2^39 - 1) rounds to -(2^63 - 2^39); adding 2^64 then ties down to 2^63, so the
    // value is 2^63 * 100 exactly (a direct conversion gives 2^63 + 2^40 and other digits).
    const uint64_t item = (uint64_t{1} << 63) + (uint64_t{1} << 39) + 1;
    ExpectAll({{item, 1, 1, kBullet, u" 922337203685477580800.00 %"},
               {kLargest, kLargest, 0, kBullet, Bar(50) + u" 100.00 %"},
               {uint64_t{1} << 63, kLargest, 1, kBullet, u" 50.00 %"}});
}

TEST(PercentText, ItemsLargerThanTheirParentStopAtTheCellEnd) {
    ExpectAll({
        {2000, 1000, 0, kBullet, Bar(100) + u" 200.00 %"},
        {5000, 1000, 0, kBullet, Bar(250) + u" 500.00 %"},  // exactly 259 units
        {5020, 1000, 0, kBullet, Bar(251)},  // " 502.00 %" no longer fits whole
        {6000, 1000, 0, kBullet, Bar(kMaxCellTextLength)},
        {6000, 1000, 2, kBullet, Bar(kMaxCellTextLength)},
        {6000, 1000, 1, kBullet, u" 600.00 %"},
        {6000, 1000, 0, 0, u" 600.00 %"},
        {kLargest, 1, 0, kBullet, Bar(kMaxCellTextLength)},
        {kLargest, 1, 1, kBullet, u" 1844674407370955161600.00 %"},
    });
}

}  // namespace
}  // namespace trovelle
