// The display settings of size texts (the column handler's and the window's), as last read
// from the settings key.
#pragma once

#include <cstdint>
#include <string>

#include "text/PercentText.h"
#include "text/SizeText.h"

namespace trovelle {

class SettingsKey;

struct ColumnSettings {
    int64_t viewStyle = 0;
    int64_t viewMetric = 1;
    char16_t separator = u' ';
    int64_t decimalDigits = 0;
    int64_t enableCache = 1;
    int64_t barStyle = 0;
    char16_t barSymbol = u'\u2022';

    // Overlays every value the key holds; a value that cannot be read keeps the last one read
    // (or the default), and a key that does not open changes nothing.
    void Reread();
    void RereadFrom(const SettingsKey& key);

    SizeTextSettings SizeText() const { return {viewMetric, decimalDigits, separator}; }
    PercentTextSettings PercentText() const { return {barStyle, barSymbol}; }
};

// The size column's own text for `size`, unpadded (empty for a unit the settings do not know).
std::wstring SizeText(uint64_t size, const ColumnSettings& settings);

// The ViewStyle numbers the handler acts on; every other number acts like "folders and files".
inline constexpr int64_t kFilesOnly = 1;
inline constexpr int64_t kFoldersOnly = 2;
inline constexpr int64_t kNothing = 3;

}  // namespace trovelle
