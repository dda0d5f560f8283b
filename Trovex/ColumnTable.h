// The columns the handler adds to Details view: the size, its sort column and the share of the
// parent, then the size on disk and its sort column.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "SettingsStore.h"

namespace trovelle {

enum ColumnPid : DWORD {
    kSizePid = 1,
    kSortPid = 2,
    kPercentPid = 3,
    kOnDiskPid = 4,
    kOnDiskSortPid = 5,
};

inline constexpr DWORD kColumnCount = 5;

// ColumnTitle as this reader sees it: a failed read or a missing key gives the default title.
std::wstring ReadColumnTitle(const SettingsKey& key);

// Fills `info` for column `index` (below kColumnCount), its title made from `title`.
void FillColumnInfo(DWORD index, const std::wstring& title, SHCOLUMNINFO& info);

}  // namespace trovelle
