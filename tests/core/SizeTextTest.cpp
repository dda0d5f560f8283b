#include "text/SizeText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "text/CellText.h"
#include "text/SizePadding.h"

namespace trovelle {
namespace {

constexpr int64_t kBytes = 0, kKB = 1, kMB = 2, kGB = 3, kAuto = 4;
constexpr uint64_t kLargest = std::numeric_limits<uint64_t>::max();
constexpr int64_t kMostDigits = std::numeric_limits<int64_t>::max();
constexpr uint64_t Pow2(int n) { return uint64_t{1} << n; }

std::u16string Text(uint64_t size, int64_t metric, int64_t digits, char16_t separator) {
    return FormatSizeText(size, {metric, digits, separator}).value_or(u"(no text)");
}

struct Case {
    uint64_t size;
    int64_t metric;
    int64_t digits;
    char16_t separator;
    std::u16string expected;
};

void ExpectAll(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(Text(c.size, c.metric, c.digits, c.separator), c.expected)
            << "size " << c.size << ", metric " << c.metric << ", digits " << c.digits
            << ", separator U+" << std::hex << int(c.separator);
    }
}

TEST(SizeText, DocumentedExamplesAndRounding) {
    ExpectAll({
        {1536, kKB, 2, u' ', u"1.50 KB"},
        {1234567, kBytes, 2, u' ', u"1 234 567"},
        {5000000000, kAuto, 2, u' ', u"4.66 GB"},
        {1000, kAuto, 2, u' ', u"1 000"},
        {0, kKB, 2, u' ', u"0.00 KB"},
        {1264189, kKB, 2, u'.', u"1.234.56 KB"},  // 1234.5596 KB
        {1234567, kBytes, 2, 0, u"1234567"},
        {1023, kAuto, 2, u' ', u"1 023"},
        {1024, kAuto, 2, u' ', u"1.00 KB"},
        {1048575, kAuto, 0, 0, u"1024 KB"},  // unit chosen before rounding: not 1 MB
        {1048575, kAuto, 0, u' ', u"1 024 KB"},
        {1048535, kKB, 1, 0, u"1024.0 KB"},  // 1023.96 KB
        {Pow2(40), kAuto, 2, u' ', u"1.00 TB"},
        {kLargest, kAuto, 2, u' ', u"16 777 216.00 TB"},
        {1234567, kKB, 0, u' ', u"1 206 KB"},  // no point; groups counted from the end
        {5000000000, kMB, 2, u' ', u"4 768.37 MB"},
        {5000000000, kGB, 2, u' ', u"4.66 GB"},
        {Pow2(20), kAuto, 2, u' ', u"1.00 MB"},
        {Pow2(30) * 5, kAuto, 1, u' ', u"5.0 GB"},
        // printf rounding of the exact binary value, ties to even
        {512, kKB, 0, 0, u"0 KB"},
        {1536, kKB, 0, 0, u"2 KB"},
        {2560, kKB, 0, 0, u"2 KB"},
        {1152, kKB, 2, 0, u"1.12 KB"},  // 1.125
        {1049, kKB, 2, 0, u"1.02 KB"},  // 1.0244140625
    });
}

TEST(SizeText, EdgeSizesInEveryMetric) {
    struct Row {
        uint64_t size;
        std::u16string bytes, kb, mb, gb, automatic;
    };
    const Row rows[] = {
        {0, u"0", u"0.00 KB", u"0.00 MB", u"0.00 GB", u"0"},
        {1023, u"1 023", u"1.00 KB", u"0.00 MB", u"0.00 GB", u"1 023"},
        {1024, u"1 024", u"1.00 KB", u"0.00 MB", u"0.00 GB", u"1.00 KB"},
        // 2^53 + 1 is not a double: it shows as 2^53.
        {Pow2(53) + 1, u"9 007 199 254 740 992", u"8 796 093 022 208.00 KB",
         u"8 589 934 592.00 MB", u"8 388 608.00 GB", u"8 192.00 TB"},
        {Pow2(63), u"9 223 372 036 854 775 808", u"9 007 199 254 740 992.00 KB",
         u"8 796 093 022 208.00 MB", u"8 589 934 592.00 GB", u"8 388 608.00 TB"},
        {kLargest, u"18 446 744 073 709 551 616", u"18 014 398 509 481 984.00 KB",
         u"17 592 186 044 416.00 MB", u"17 179 869 184.00 GB", u"16 777 216.00 TB"},
    };
    for (const Row& r : rows) {
        ExpectAll({{r.size, kBytes, 2, u' ', r.bytes},
                   {r.size, kKB, 2, u' ', r.kb},
                   {r.size, kMB, 2, u' ', r.mb},
                   {r.size, kGB, 2, u' ', r.gb},
                   {r.size, kAuto, 2, u' ', r.automatic}});
    }
}

TEST(SizeText, CountsFrom2To63ConvertAsSignedPlus2To64) {
    // -(2^63 - 1025) rounds to -(2^63 - 1024); adding 2^64 then ties down to 2^63. A direct
    // unsigned conversion would give 2^63 + 2048 (9223372036854777856).
    EXPECT_EQ(Text(Pow2(63) + 1025, kBytes, 0, 0), u"9223372036854775808");
}

TEST(SizeText, SeparatorsOfEveryKindGroupOnlyTheIntegerPart) {
    struct Row {
        uint64_t size;
        int64_t metric, digits;
        std::u16string pattern;  // '_' marks where the separator goes
    };
    const Row rows[] = {
        {1, kBytes, 2, u"1"},
        {12, kBytes, 2, u"12"},
        {123, kBytes, 2, u"123"},
        {1234, kBytes, 2, u"1_234"},
        {12345, kBytes, 2, u"12_345"},
        {123456, kBytes, 2, u"123_456"},
        {1234567, kBytes, 2, u"1_234_567"},
        {1234567890, kBytes, 2, u"1_234_567_890"},
        {1234567890, kKB, 3, u"1_205_632.705 KB"},
        {1234567890, kKB, 0, u"1_205_633 KB"},
        {1234567890, kKB, -1, u"1_205_633 KB"},
        {1234567890, kAuto, 5, u"1.14978 GB"},
        {126464, kKB, 4, u"123.5000 KB"},
    };
    const char16_t separators[] = {u' ', u'.', u',', u'\'', u'_', u'9',
                                   u'\u00A0', u'\u2009', u'\u066C', u'\uFFFF', 0};
    for (const char16_t separator : separators) {
        for (const Row& r : rows) {
            std::u16string expected;
            for (const char16_t c : r.pattern) {
                if (c != u'_') expected += c;
                else if (separator != 0) expected += separator;
            }
            ExpectAll({{r.size, r.metric, r.digits, separator, expected}});
        }
    }
}

TEST(SizeText, DecimalDigitsOfAnySize) {
    const std::u16string zeros(kMaxCellTextLength, u'0');
    ExpectAll({
        {1536, kKB, -1, u' ', u"2 KB"},
        {1536, kKB, std::numeric_limits<int64_t>::min(), u' ', u"2 KB"},
        {1536, kKB, 0, u' ', u"2 KB"},
        {1536, kKB, 5, u' ', u"1.50000 KB"},
        // As many decimals as the cell holds: exact binary digits, then zeros.
        {1536, kKB, 300, u' ', (u"1.5" + zeros).substr(0, kMaxCellTextLength - 3) + u" KB"},
        {1, kGB, 300, u' ',
         (u"0.000000000931322574615478515625" + zeros).substr(0, kMaxCellTextLength - 3) +
             u" GB"},
        {kLargest, kKB, 300, u' ',
         (u"18 014 398 509 481 984." + zeros).substr(0, kMaxCellTextLength - 3) + u" KB"},
        // Bytes never show decimals, whatever is asked.
        {1536, kBytes, 300, u' ', u"1 536"},
        {1000, kAuto, kMostDigits, u' ', u"1 000"},
    });
    // Larger requests, including ones whose low 32 bits read 2, give the same fullest text.
    const std::u16string fullest = Text(1536, kKB, 300, u' ');
    for (const int64_t digits : {int64_t{260}, (int64_t{1} << 32) + 2, kMostDigits}) {
        EXPECT_EQ(Text(1536, kKB, digits, u' '), fullest) << digits;
    }
}

TEST(SizeText, UnknownMetricGivesNoText) {
    for (const int64_t metric : {int64_t{-1}, int64_t{5}, int64_t{1} << 32,
                                 std::numeric_limits<int64_t>::min(), kMostDigits}) {
        EXPECT_EQ(FormatSizeText(1536, {metric, 2, u' '}), std::nullopt) << metric;
    }
}

TEST(SizeText, EveryTextFitsTheCellAndLongDecimalsFillIt) {
    const uint64_t sizes[] = {0, 1, 999, 1023, 1024, 1048575, Pow2(40) - 1, Pow2(53) + 1,
                              Pow2(63), kLargest};
    const int64_t digitCounts[] = {-1, 0, 5, 229, 230, 258, 259, 260, 300, kMostDigits};
    for (const uint64_t size : sizes) {
        for (int64_t metric = kBytes; metric <= kAuto; ++metric) {
            for (const int64_t digits : digitCounts) {
                for (const char16_t separator : {char16_t{0}, u' '}) {
                    const std::u16string text = Text(size, metric, digits, separator);
                    const bool hasPoint = text.find(u'.') != std::u16string::npos;
                    if (hasPoint && digits >= static_cast<int64_t>(kMaxCellTextLength)) {
                        EXPECT_EQ(text.size(), kMaxCellTextLength) << size << ' ' << metric;
                    } else {
                        EXPECT_LE(text.size(), kMaxCellTextLength) << size << ' ' << metric;
                    }
                }
            }
        }
    }
}

TEST(SizePadding, PadsOnlyVersionsBelow5OrWithMinor0) {
    struct Row {
        uint32_t major, minor;
        bool pads;
    };
    const Row rows[] = {{4, 10, true}, {5, 0, true},  {5, 1, false}, {5, 2, false},
                        {6, 0, true},  {6, 1, false}, {6, 2, false}, {10, 0, true}};
    for (const Row& r : rows) {
        const WindowsVersion version{r.major, r.minor};
        EXPECT_EQ(PadsSizeTexts(version), r.pads) << r.major << '.' << r.minor;
        EXPECT_EQ(PadSizeText(u"1 234 567", version),
                  r.pads ? std::u16string(11, u' ') + u"1 234 567" : u"1 234 567")
            << r.major << '.' << r.minor;
    }
}

TEST(SizePadding, RightAlignsShortTextsTo20AndLeavesLongerOnes) {
    const WindowsVersion windows2000{5, 0};
    EXPECT_EQ(PadSizeText(u"1234567", windows2000), u"             1234567");  // sort column
    EXPECT_EQ(PadSizeText(u"", windows2000), std::u16string(20, u' '));
    for (const size_t length : {size_t{19}, size_t{20}, size_t{21}, kMaxCellTextLength}) {
        const std::u16string text(length, u'7');
        const std::u16string padded = PadSizeText(text, windows2000);
        EXPECT_EQ(padded.size(), std::max<size_t>(length, 20)) << length;
        EXPECT_EQ(padded.substr(padded.size() - length), text) << length;
        EXPECT_EQ(padded.find_first_not_of(u' '), padded.size() - length) << length;
    }
}

}  // namespace
}  // namespace trovelle
