// The items of a folder as the shell hands them to column handlers.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <string>
#include <vector>

namespace trovelle::host {

struct ListedItem {
    std::wstring name;
    SHCOLUMNDATA data = {};  // dwFileAttributes holds the item's attributes
    uint64_t size = 0;       // a file's length
    FILETIME lastWrite = {};
};

// SHCOLUMNDATA as the shell fills it: attributes, the full path, and pwszExt pointing at the
// extension inside that path. The item must not move after this (pwszExt points into it).
void FillColumnData(ListedItem& item, const std::wstring& fullPath, DWORD attributes);

// Folders first, then files, each by name; "." and ".." left out. `error` is ERROR_SUCCESS when
// the folder was listed (an empty drive root included), else why it could not be.
std::vector<ListedItem> ListFolder(const std::wstring& folder, DWORD& error);

}  // namespace trovelle::host
