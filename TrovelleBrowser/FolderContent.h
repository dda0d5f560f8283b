// What the background worker hands the window: a folder's items with Explorer's own columns
// ready to show, their sizes from the cache as they are measured, and the cells of the other
// column handlers the user chose to see.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ItemCells.h"
#include "index/Totals.h"

namespace trovelle::browser {

// The path that stands for the list of drives (the root above every drive's root).
inline constexpr wchar_t kDrivesPath[] = L"";

// An item's size and size on disk as the window knows them: a file's from its folder's listing,
// a folder's total from the cache server.
enum class SizeState { Measuring, Known, NoAccess, Gone, Failed };
struct ItemSizes {
    SizeState state = SizeState::Measuring;
    ByteTotals totals;
    HRESULT failure = S_OK;  // for Failed

    bool operator==(const ItemSizes& other) const {
        return state == other.state && totals.bytes == other.totals.bytes &&
               totals.onDisk == other.totals.onDisk && failure == other.failure;
    }
};

struct BrowserItem {
    std::wstring name;       // as shown
    std::u16string sortKey;  // the name prepared for sorting (NaturalKey)
    std::wstring path;       // full path, of any length
    DWORD attributes = 0;
    uint64_t size = 0;        // a file's length
    uint64_t allocation = 0;  // what a file takes on disk
    FILETIME lastWrite = {};
    int icon = 0;  // in the system's small image list
    std::wstring typeText;

    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// A row of the list: an item and what is known of its size and handler cells.
struct Row {
    BrowserItem item;
    ItemSizes sizes;                // a file's from the listing, a folder's from the worker
    std::vector<host::Cell> cells;  // one per offered handler column, once asked
    bool measured = false;          // sizes and cells hold an answer (perhaps being refreshed)
    bool pending = false;           // asked of the worker, not yet answered

    // A listed item's row: a file's sizes are known from the listing.
    static Row Of(BrowserItem item) {
        Row row;
        if (!item.IsFolder()) row.sizes = {SizeState::Known, {item.size, item.allocation}, S_OK};
        row.item = std::move(item);
        return row;
    }
};

struct Listing {
    uint64_t generation = 0;
    std::wstring folder;  // kDrivesPath for the drives
    DWORD error = ERROR_SUCCESS;
    // Made on the worker's thread, so that a large folder costs the window's thread little.
    std::vector<Row> rows;  // folders first, each by name
    // The first items of a large folder, shown while the rest is listed; the whole listing
    // follows.
    bool partial = false;
};

// The other column handlers' columns the folder offers (the product's own handler left out:
// the window shows those sizes itself); posted once they are loaded, after the listing.
struct HandlerColumns {
    uint64_t generation = 0;
    std::vector<SHCOLUMNINFO> columns;
};

struct FilledRow {
    size_t row = 0;
    std::optional<ItemSizes> sizes;  // a folder's total, when it was asked
    std::vector<host::Cell> cells;   // one per handler column, when any is shown
};

struct CellBatch {
    uint64_t generation = 0;
    std::vector<FilledRow> rows;
    std::optional<ItemSizes> folder;  // the total of the folder itself
};

// A row the worker is asked to measure.
struct FillItem {
    size_t row = 0;
    std::wstring name;
    std::wstring path;
    DWORD attributes = 0;
};

}  // namespace trovelle::browser
