// The percent column's text: a bar of symbols and the share of the parent folder.
#pragma once

#include <cstdint>
#include <string>

namespace trovelle {

// The display settings as the column handler last read them; defaults are the settings'.
struct PercentTextSettings {
    int64_t barStyle = 0;          // 0 bar and value, 1 value only, 2 bar only; others act as 0
    char16_t barSymbol = u'\u2022';  // 0 draws no bar
};

// One symbol per full 2 % and " %.2f %", both computed in single precision. Empty when the
// parent size is 0. The text never exceeds kMaxCellTextLength: a longer bar stops there, and
// the value is left out unless it fits whole.
std::u16string FormatPercentText(uint64_t itemSize, uint64_t parentSize,
                                 const PercentTextSettings& settings);

}  // namespace trovelle
