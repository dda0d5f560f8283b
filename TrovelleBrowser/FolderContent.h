// What the background worker hands the window: a folder's items with Explorer's own columns
// ready to show, the handler columns' descriptions, and the handler cells as they are measured.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ItemCells.h"

namespace trovelle::browser {

// The path that stands for the list of drives (the root above every drive's root).
inline constexpr wchar_t kDrivesPath[] = L"";

struct BrowserItem {
    std::wstring name;  // as shown
    std::wstring path;  // full path, as handed to the column handlers
    DWORD attributes = 0;
    uint64_t size = 0;  // a file's length
    FILETIME lastWrite = {};
    int icon = 0;  // in the system's small image list
    std::wstring sizeText, typeText, dateText;

    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// The product's own size columns among the handler columns: its cells' texts are what the user
// chose, and the sort column beside the size holds the byte counts.
struct SizeColumns {
    std::optional<size_t> sizeText;
    std::optional<size_t> byteCount;
    std::optional<size_t> onDiskText;
};

struct Listing {
    uint64_t generation = 0;
    std::wstring folder;  // kDrivesPath for the drives
    DWORD error = ERROR_SUCCESS;
    std::vector<BrowserItem> items;
    std::vector<SHCOLUMNINFO> columns;
    SizeColumns sizeColumns;
};

struct FilledRow {
    size_t row = 0;
    std::vector<host::Cell> cells;  // one per handler column
};

struct CellBatch {
    uint64_t generation = 0;
    std::vector<FilledRow> rows;
    // The product's size and size-on-disk cells of the folder itself.
    std::optional<host::Cell> folderTotal;
    std::optional<host::Cell> folderOnDisk;
};

// A row the worker is asked to measure.
struct FillItem {
    size_t row = 0;
    std::wstring path;
    DWORD attributes = 0;
};

}  // namespace trovelle::browser
