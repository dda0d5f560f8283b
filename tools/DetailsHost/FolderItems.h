// The items of a folder as the shell hands them to column handlers.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace trovelle::host {

struct ListedItem {
    std::wstring name;
    SHCOLUMNDATA data = {};
};

// SHCOLUMNDATA as the shell fills it: attributes, the full path, and pwszExt pointing at the
// extension inside that path. The item must not move after this (pwszExt points into it).
void FillColumnData(ListedItem& item, const std::wstring& fullPath, DWORD attributes);

// Folders first, then files, each by name; "." and ".." left out. Empty when it cannot be listed.
std::vector<ListedItem> ListFolder(const std::wstring& folder, bool& listed);

}  // namespace trovelle::host
