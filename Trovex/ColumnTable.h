// The three columns the handler adds to Details view.
#pragma once

#include <windows.h>
#include <shlobj.h>

namespace trovelle {

enum ColumnPid : DWORD { kSizePid = 1, kSortPid = 2, kPercentPid = 3 };

inline constexpr DWORD kColumnCount = 3;

// Fills `info` for column `index` (below kColumnCount) with its title read from the settings.
void FillColumnInfo(DWORD index, SHCOLUMNINFO& info);

}  // namespace trovelle
