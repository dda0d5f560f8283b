// The "Trovelle Pro" page of the Properties dialog of folders and drives: the selection's total
// in the size column's text and in bytes, and for one folder its largest items with their share
// drawn as the percent column draws it. The page shows at once; a background thread measures
// and posts the answer to it.
#pragma once

#include <windows.h>
#include <prsht.h>

#include <string>
#include <vector>

namespace trovelle {

// A new page for `paths` (folders, drives or files as Explorer gave them); null on failure.
// The page owns itself from here on: it goes when the sheet destroys it (or the shell drops it
// unused).
HPROPSHEETPAGE CreateFolderPage(std::vector<std::wstring> paths);

// The message the measuring thread posts when its answer is ready (wParam, lParam 0).
inline constexpr UINT kMeasuredMessage = WM_APP + 21;

}  // namespace trovelle
