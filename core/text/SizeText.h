// The size column's text: a byte count in bytes, KB, MB, GB or an automatic unit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace trovelle {

// The display settings as the column handler last read them; defaults are the settings'.
struct SizeTextSettings {
    int64_t viewMetric = 1;     // 0 bytes, 1 KB, 2 MB, 3 GB, 4 automatic
    int64_t decimalDigits = 0;  // -1 or less counts as 0
    char16_t separator = u' ';  // between digit groups; 0 groups nothing
};

// The number, grouped, followed by its unit (" KB" ...; nothing for bytes). No text at all
// for a metric other than 0 to 4. The text never exceeds kMaxCellTextLength: decimals that
// would not fit are left out.
std::optional<std::u16string> FormatSizeText(uint64_t size, const SizeTextSettings& settings);

}  // namespace trovelle
