#include "text/SizeText.h"

#include <algorithm>
#include <string_view>

#include "text/CellText.h"
#include "text/DigitGroups.h"
#include "text/FixedDecimal.h"
#include "text/UnsignedToReal.h"

namespace trovelle {
namespace {

constexpr double kUnitScale = 0.0009765625;  // 2^-10, exact in double
constexpr double kNextUnitAt = 1024.0;

struct ScaledSize {
    double value = 0;
    std::u16string_view suffix;
    bool showsDecimals = false;  // byte values are always whole
};

std::optional<ScaledSize> Scale(double bytes, int64_t metric) {
    switch (metric) {
        case 0: return ScaledSize{bytes, u"", false};
        case 1: return ScaledSize{bytes * kUnitScale, u" KB", true};
        case 2: return ScaledSize{bytes * (kUnitScale * kUnitScale), u" MB", true};
        case 3: return ScaledSize{bytes * (kUnitScale * kUnitScale * kUnitScale), u" GB", true};
        case 4: break;
        default: return std::nullopt;
    }
    // The unit is chosen before rounding: 1023.999 KB stays KB and may print as 1024 KB.
    if (bytes < kNextUnitAt) return ScaledSize{bytes, u"", false};
    double value = bytes * kUnitScale;
    for (const std::u16string_view suffix : {u" KB", u" MB", u" GB"}) {
        if (value < kNextUnitAt) return ScaledSize{value, suffix, true};
        value *= kUnitScale;
    }
    return ScaledSize{value, u" TB", true};  // TB has no upper bound
}

int RequestedDecimals(int64_t digits) {
    if (digits <= 0) return 0;
    // More decimals than a cell holds can never be shown; the exact count is settled below.
    return static_cast<int>(std::min<int64_t>(digits, kMaxCellTextLength));
}

}  // namespace

std::optional<std::u16string> FormatSizeText(uint64_t size, const SizeTextSettings& settings) {
    const std::optional<ScaledSize> scaled = Scale(ToDouble(size), settings.viewMetric);
    if (!scaled) return std::nullopt;

    int decimals = scaled->showsDecimals ? RequestedDecimals(settings.decimalDigits) : 0;
    for (;;) {
        std::u16string text = GroupDigits(PrintFixed(scaled->value, decimals), decimals,
                                          settings.separator);
        text += scaled->suffix;
        // Without decimals the longest text is 20 digits, 6 separators and a unit.
        if (text.size() <= kMaxCellTextLength || decimals == 0) return text;
        // Drop just the surplus; a carry into the integer part may cost one more round.
        decimals -= static_cast<int>(std::min<size_t>(decimals, text.size() - kMaxCellTextLength));
    }
}

}  // namespace trovelle
