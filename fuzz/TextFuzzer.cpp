// The size, percent and padded texts for any byte counts and any stored display settings.
//
// Input, little-endian, missing bytes read as 0:
//   size 8 | parent size 8 | ViewMetric 8 | DecimalDigits 8 | Separator 2 | PB_Style 8 |
//   PB_Symbol 2 | Windows major 1 | Windows minor 1
// Every text must fit a cell. Where exact integer arithmetic can say what the text is (sizes
// below 2^53, at most 22 decimals), it must be exactly that.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "text/CellText.h"
#include "text/PercentText.h"
#include "text/SizePadding.h"
#include "text/SizeText.h"

namespace {

using trovelle::kMaxCellTextLength;

class Fields {
public:
    Fields(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint64_t Next(size_t bytes) {
        uint64_t value = 0;
        for (size_t i = 0; i < bytes; ++i, ++at_) {
            if (at_ < size_) value |= uint64_t{data_[at_]} << (8 * i);
        }
        return value;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

using Wide = unsigned __int128;

std::u16string DigitsOf(Wide value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + static_cast<int>(value % 10)));
        value /= 10;
    } while (value != 0);
    return digits;
}

std::u16string Grouped(std::u16string integer, char16_t separator) {
    if (separator == 0) return integer;
    for (size_t at = integer.size(); at > 3;) {
        at -= 3;
        integer.insert(at, 1, separator);
    }
    return integer;
}

constexpr std::u16string_view kSuffixes[] = {u"", u" KB", u" MB", u" GB", u" TB"};

// Unit index: 0 bytes ... 4 TB.
int UnitOf(uint64_t size, int64_t metric) {
    if (metric != 4) return static_cast<int>(metric);
    int unit = 0;
    // Below 2^53 the conversion to double is exact, so the thresholds compare exactly too.
    while (unit < 4 && size >= uint64_t{1} << (10 * (unit + 1))) ++unit;
    return unit;
}

// The text worked out in integers: size / 1024^unit to `decimals` places, ties to even.
std::optional<std::u16string> ExactSizeText(uint64_t size, const trovelle::SizeTextSettings& s) {
    if (s.viewMetric < 0 || s.viewMetric > 4 || size >= uint64_t{1} << 53) return std::nullopt;
    const int unit = UnitOf(size, s.viewMetric);
    const int64_t decimals = unit == 0 ? 0 : std::max<int64_t>(s.decimalDigits, 0);
    if (decimals > 22) return std::nullopt;
    Wide scaled = size;
    for (int64_t i = 0; i < decimals; ++i) scaled *= 10;
    const int shift = 10 * unit;
    Wide quotient = scaled >> shift;
    if (shift > 0) {
        const Wide remainder = scaled & ((Wide{1} << shift) - 1);
        const Wide half = Wide{1} << (shift - 1);
        if (remainder > half || (remainder == half && (quotient & 1) != 0)) ++quotient;
    }
    std::u16string digits = DigitsOf(quotient);
    if (digits.size() <= static_cast<size_t>(decimals)) {
        digits.insert(0, static_cast<size_t>(decimals) + 1 - digits.size(), u'0');
    }
    const size_t integerLength = digits.size() - static_cast<size_t>(decimals);
    std::u16string text = Grouped(digits.substr(0, integerLength), s.separator);
    if (decimals > 0) text += u'.' + digits.substr(integerLength);
    text += kSuffixes[unit];
    return text;
}

bool EndsWith(std::u16string_view text, std::u16string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool IsDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

// What holds for every size: the unit, the count of decimals, and the value to within rounding.
void CheckSizeTextShape(uint64_t size, const trovelle::SizeTextSettings& s,
                        const std::u16string& text) {
    const int unit = UnitOf(size, s.viewMetric);  // beyond 2^53 only TB is possible
    FUZZ_CHECK(EndsWith(text, kSuffixes[unit]));
    const std::u16string number = text.substr(0, text.size() - kSuffixes[unit].size());
    // With a digit or the point as the separator the groups cannot be told apart.
    if (IsDigit(s.separator) || s.separator == u'.') return;

    const size_t point = std::min(number.find(u'.'), number.size());
    const std::u16string groupedInteger = number.substr(0, point);
    std::u16string integer;
    for (char16_t unit16 : groupedInteger) {
        if (unit16 != s.separator) integer.push_back(unit16);
    }
    FUZZ_CHECK(!integer.empty());
    FUZZ_CHECK(groupedInteger == Grouped(integer, s.separator));
    const size_t decimals = point == number.size() ? 0 : number.size() - point - 1;
    FUZZ_CHECK(point == number.size() || decimals > 0);
    std::string plain;
    for (size_t i = 0; i < number.size(); ++i) {
        if (i == point) {
            plain.push_back('.');
        } else if (i > point || number[i] != s.separator) {
            FUZZ_CHECK(IsDigit(number[i]));
            plain.push_back(static_cast<char>(number[i]));
        }
    }

    const int64_t wanted = unit == 0 ? 0 : std::max<int64_t>(s.decimalDigits, 0);
    FUZZ_CHECK(static_cast<int64_t>(decimals) <= wanted);
    // Decimals are only left out when one more would not have fitted the cell.
    // One more decimal adds a digit (and the point after none) and never lengthens the integer
    // part (it can only undo a rounding carry), so a text that drops decimals fills the cell.
    if (static_cast<int64_t>(decimals) < wanted) {
        FUZZ_CHECK(text.size() + (decimals == 0 ? 2 : 1) > kMaxCellTextLength);
    }

    const long double exact = std::ldexp(static_cast<long double>(size), -10 * unit);
    const long double shown = std::strtold(plain.c_str(), nullptr);
    const long double tolerance =
        0.5L * std::pow(10.0L, -static_cast<long double>(decimals)) + exact * 0x1p-50L;
    FUZZ_CHECK(std::fabs(shown - exact) <= tolerance);
}

void CheckSizeText(uint64_t size, const trovelle::SizeTextSettings& s,
                   trovelle::WindowsVersion version) {
    const std::optional<std::u16string> text = trovelle::FormatSizeText(size, s);
    if (s.viewMetric < 0 || s.viewMetric > 4) {
        FUZZ_CHECK(!text);
        return;
    }
    FUZZ_CHECK(text.has_value());
    FUZZ_CHECK(text->size() <= kMaxCellTextLength);
    if (const std::optional<std::u16string> exact = ExactSizeText(size, s)) {
        FUZZ_CHECK(*text == *exact);
    }
    CheckSizeTextShape(size, s, *text);

    const bool pads = version.major < 5 || version.minor == 0;
    FUZZ_CHECK(trovelle::PadsSizeTexts(version) == pads);
    const std::u16string padded = trovelle::PadSizeText(*text, version);
    if (pads && text->size() < 20) {
        FUZZ_CHECK(padded.size() == 20);
        FUZZ_CHECK(EndsWith(padded, *text));
        FUZZ_CHECK(padded.find_first_not_of(u' ') >= 20 - text->size());
    } else {
        FUZZ_CHECK(padded == *text);
    }
}

void CheckPercentText(uint64_t item, uint64_t parent, const trovelle::PercentTextSettings& s) {
    const std::u16string text = trovelle::FormatPercentText(item, parent, s);
    if (parent == 0) {
        FUZZ_CHECK(text.empty());
        return;
    }
    FUZZ_CHECK(text.size() <= kMaxCellTextLength);
    const bool drawsBar = s.barStyle != 1 && s.barSymbol != 0;
    const bool showsValue = s.barStyle != 2;
    if (std::u16string_view(u" 0123456789.%").find(s.barSymbol) != std::u16string_view::npos) {
        return;  // the bar could not be told from the value
    }

    const size_t bar = text.find_first_not_of(s.barSymbol) == std::u16string::npos
                           ? text.size()
                           : text.find_first_not_of(s.barSymbol);
    if (!drawsBar) FUZZ_CHECK(bar == 0);
    const std::u16string value = text.substr(bar);

    // One symbol per full 2 %, worked out in single precision, so off by one at most.
    if (drawsBar) {
        const long double symbols = static_cast<long double>(item) * 50.0L / parent;
        const long double expected = std::min<long double>(std::floor(symbols), kMaxCellTextLength);
        FUZZ_CHECK(std::fabs(static_cast<long double>(bar) - expected) <= 1.0L);
    }
    if (!showsValue) {
        FUZZ_CHECK(value.empty());
        return;
    }
    const long double percent = static_cast<long double>(item) * 100.0L / parent;
    if (value.empty()) {
        // Left out only because it did not fit whole: " ", the integer digits, ".00 %".
        size_t digits = 1;
        long double power = 1;
        while (power * 10 <= percent) {
            power *= 10;
            ++digits;
        }
        size_t shortest = 1 + digits + 5;
        // Just above a power of ten the single-precision percent may fall below it.
        if (digits > 1 && percent < power * (1 + 0x1p-20L)) --shortest;
        FUZZ_CHECK(bar + shortest > kMaxCellTextLength);
        return;
    }
    // " <digits>.<two digits> %"
    FUZZ_CHECK(value.size() >= 7 && value[0] == u' ' && EndsWith(value, u" %"));
    const std::u16string_view number(value.data() + 1, value.size() - 3);
    FUZZ_CHECK(number.size() >= 4 && number[number.size() - 3] == u'.');
    std::string plain;
    for (size_t i = 0; i < number.size(); ++i) {
        if (i != number.size() - 3) FUZZ_CHECK(IsDigit(number[i]));
        plain.push_back(static_cast<char>(number[i]));
    }
    const long double shown = std::strtold(plain.c_str(), nullptr);
    FUZZ_CHECK(std::fabs(shown - percent) <= 0.005L + percent * 0x1p-21L);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fields fields(data, size);
    const uint64_t itemSize = fields.Next(8);
    const uint64_t parentSize = fields.Next(8);
    trovelle::SizeTextSettings sizeSettings;
    sizeSettings.viewMetric = static_cast<int64_t>(fields.Next(8));
    sizeSettings.decimalDigits = static_cast<int64_t>(fields.Next(8));
    sizeSettings.separator = static_cast<char16_t>(fields.Next(2));
    trovelle::PercentTextSettings percentSettings;
    percentSettings.barStyle = static_cast<int64_t>(fields.Next(8));
    percentSettings.barSymbol = static_cast<char16_t>(fields.Next(2));
    trovelle::WindowsVersion version;
    version.major = static_cast<uint32_t>(fields.Next(1));
    version.minor = static_cast<uint32_t>(fields.Next(1));

    CheckSizeText(itemSize, sizeSettings, version);
    CheckSizeText(parentSize, sizeSettings, version);
    CheckPercentText(itemSize, parentSize, percentSettings);
    return 0;
}
