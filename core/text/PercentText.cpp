#include "text/PercentText.h"

#include "text/CellText.h"
#include "text/FixedDecimal.h"
#include "text/UnsignedToReal.h"

namespace trovelle {
namespace {

constexpr int64_t kValueOnly = 1;
constexpr int64_t kBarOnly = 2;

// Truncated (item * 50) / parent in floats; compared before converting because an item far
// larger than its recorded parent gives more symbols than a cell (or an integer) holds.
size_t BarLength(float item, float parent) {
    const float symbols = item * 50.0f / parent;
    constexpr auto kMostSymbols = static_cast<float>(kMaxCellTextLength);
    return symbols >= kMostSymbols ? kMaxCellTextLength : static_cast<size_t>(symbols);
}

std::u16string ValueText(float item, float parent) {
    const float percent = item * 100.0f / parent;
    std::u16string text = u" ";
    text += PrintFixed(static_cast<double>(percent), 2);
    text += u" %";
    return text;
}

}  // namespace

std::u16string FormatPercentText(uint64_t itemSize, uint64_t parentSize,
                                 const PercentTextSettings& settings) {
    std::u16string text;
    if (parentSize == 0) return text;
    const float item = ToFloat(itemSize);
    const float parent = ToFloat(parentSize);

    // A symbol of 0 ended the original C string at once, so it draws nothing.
    if (settings.barStyle != kValueOnly && settings.barSymbol != 0) {
        text.assign(BarLength(item, parent), settings.barSymbol);
    }
    if (settings.barStyle != kBarOnly) {
        // A cut-off number would be a wrong one, so the value goes in whole or not at all.
        const std::u16string value = ValueText(item, parent);
        if (text.size() + value.size() <= kMaxCellTextLength) text += value;
    }
    return text;
}

}  // namespace trovelle
