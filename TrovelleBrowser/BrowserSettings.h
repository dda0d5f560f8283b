// What the window remembers between runs, in a key of its own beside the product's settings key:
// the last folder shown, the window's placement, the width of each column and of the folder
// tree, and the other handlers' columns shown.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <set>
#include <string>

namespace trovelle::browser {

inline constexpr wchar_t kLastFolderValue[] = L"BrowserFolder";
inline constexpr wchar_t kPlacementValue[] = L"BrowserPlacement";
inline constexpr wchar_t kColumnWidthsValue[] = L"BrowserColumnWidths";
inline constexpr wchar_t kHandlerColumnsValue[] = L"BrowserHandlerColumns";
inline constexpr wchar_t kTreeWidthValue[] = L"BrowserTreeWidth";

// Column widths by the column's lasting name (see ViewColumn::id).
using ColumnWidths = std::map<std::wstring, int>;

std::optional<std::wstring> ReadLastFolder();
// A placement stored by an earlier run, when it still lies on a monitor.
std::optional<WINDOWPLACEMENT> ReadPlacement();
ColumnWidths ReadColumnWidths();
// The folder tree's width at 96 DPI.
std::optional<int> ReadTreeWidth();
// The other column handlers' columns the user chose to see, by their lasting names.
std::set<std::wstring> ReadShownHandlerColumns();
void SaveShownHandlerColumns(const std::set<std::wstring>& ids);

// Written when a window closes; with several windows the last one closed wins.
void SaveBrowserState(const std::wstring& folder, const WINDOWPLACEMENT& placement,
                      const ColumnWidths& widths, int treeWidth);

}  // namespace trovelle::browser
