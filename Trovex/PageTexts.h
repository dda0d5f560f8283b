// The folder page's texts, from the measurement and the display settings.
#pragma once

#include <windows.h>

#include <string>

#include "ColumnSettings.h"
#include "SelectionMeasurement.h"

namespace trovelle {

// The exact count in the user's locale, digit groups and all: "1,234,567 bytes".
std::wstring ExactBytesText(uint64_t bytes);

// "2 folders, 1 file"; an empty part is left out.
std::wstring FoldersAndFilesText(unsigned folders, unsigned files);

// What failed, in words the user can act on.
std::wstring FailureText(const MeasureFailure& failure);

// As Explorer's Properties writes a size: the short text, then the exact count,
// "1.00 MB (1,048,576 bytes)"; the short text follows the display settings.
std::wstring SizeAndBytesText(uint64_t size, const ColumnSettings& settings);

}  // namespace trovelle
