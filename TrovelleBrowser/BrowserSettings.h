// What the window remembers between runs, in a key of its own beside the product's settings key:
// the last folder shown, the window's placement and the width of each column.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>

namespace trovelle::browser {

inline constexpr wchar_t kLastFolderValue[] = L"BrowserFolder";
inline constexpr wchar_t kPlacementValue[] = L"BrowserPlacement";
inline constexpr wchar_t kColumnWidthsValue[] = L"BrowserColumnWidths";

// Column widths by the column's lasting name (see ViewColumn::id).
using ColumnWidths = std::map<std::wstring, int>;

std::optional<std::wstring> ReadLastFolder();
// A placement stored by an earlier run, when it still lies on a monitor.
std::optional<WINDOWPLACEMENT> ReadPlacement();
ColumnWidths ReadColumnWidths();

// Written when a window closes; with several windows the last one closed wins.
void SaveBrowserState(const std::wstring& folder, const WINDOWPLACEMENT& placement,
                      const ColumnWidths& widths);

}  // namespace trovelle::browser
