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
    uint64_t allocation = 0; // what the file takes on disk
    FILETIME lastWrite = {};
};

// SHCOLUMNDATA as the shell fills it: attributes, the full path, and pwszExt pointing at the
// extension inside that path. The item must not move after this (pwszExt points into it).
void FillColumnData(ListedItem& item, const std::wstring& fullPath, DWORD attributes);

enum class ItemOrder { FoldersFirstByName, AsListed };

// Folders first, then files, each by name (or as the file system lists them, for a caller that
// sorts them itself); "." and ".." left out; at most `limit` items (the first ones listed). `error` is ERROR_SUCCESS when
// the folder was listed (an empty drive root included), else why it could not be. Paths of any
// length are listed; no file is opened (a cloud file's data stays where it is).
std::vector<ListedItem> ListFolder(const std::wstring& folder, DWORD& error,
                                   ItemOrder order = ItemOrder::FoldersFirstByName,
                                   size_t limit = SIZE_MAX);

}  // namespace trovelle::host
