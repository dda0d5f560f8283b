// The byte counts behind the cells: a file's length, a folder's total from the cache server or
// a local sum, and the parent folder's total for the percent column.
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

#include "CacheConnection.h"
#include "ColumnSettings.h"

namespace trovelle {

// What one column-handler object keeps between its cells: its connection to the cache server,
// the last parent folder's total, and the totals of that parent's subfolders. The cells of one
// folder share their parent, so a percent cell asks for the parent once a second at most, and
// the folder cells of one parent share one round trip a second rather than one call each.
struct CellSources {
    CacheConnection cache;
    std::wstring parent;
    uint64_t parentSize = 0;
    ULONGLONG parentAskedAt = 0;
    SubfolderTotals subfolders;
    bool answersOneAtATime = false;  // the server has no call for many folders
};

struct ItemSizeResult {
    bool succeeded = false;
    // The size on success; on failure an error code to show, 0 meaning "leave the cell empty".
    uint64_t size = 0;
    uint64_t parentSize = 0;
};

// A folder's total from the cache server, or summed here when the settings switch the cache
// off. A failed server creation or call gives false and its HRESULT (sign-extended) in `error`.
bool FolderTotal(const std::wstring& folder, const ColumnSettings& settings,
                 CacheConnection& cache, uint64_t& size, uint64_t& error);

// A file's length; false with the Win32 error in `error` when the file cannot be reached.
bool FileLength(const std::wstring& path, uint64_t& size, uint64_t& error);

ItemSizeResult GetItemSize(const std::wstring& path, bool isFolder, bool wantParent,
                           const ColumnSettings& settings, CellSources& sources);

}  // namespace trovelle
