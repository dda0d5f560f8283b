// The byte counts behind the cells: a file's length or the space it takes, a folder's totals
// from the cache server or a local sum, and the parent folder's total for the percent column.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include <windows.h>

#include "CacheConnection.h"
#include "ColumnSettings.h"
#include "index/Totals.h"

namespace trovelle {

// Which of an item's two numbers a cell shows.
enum class SizeKind { Length, OnDisk };

// The files of one folder as its last listing gave them, by folded name.
struct ListedFiles {
    std::wstring folder;
    ULONGLONG listedAt = 0;
    std::unordered_map<std::u16string, ByteTotals> byFoldedName;
};

// What one column-handler object keeps between its cells: its connection to the cache server,
// the last parent folder's total, the totals of that parent's subfolders, and its files as
// listed. The cells of one folder share their parent, so a percent cell asks for the parent
// once a second at most, the folder cells of one parent share one round trip a second rather
// than one call each, and its file cells share one listing a second.
struct CellSources {
    CacheConnection cache;
    std::wstring parent;
    uint64_t parentSize = 0;
    ULONGLONG parentAskedAt = 0;
    SubfolderTotals subfolders;
    ListedFiles files;
};

struct ItemSizeResult {
    bool succeeded = false;
    // The size on success; on failure an error code to show, 0 meaning "leave the cell empty".
    uint64_t size = 0;
    uint64_t parentSize = 0;
};

// How the server, and a sum here, fail for a folder that is not there or went while measured.
inline const HRESULT kFolderNotThere = HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);

// A folder's totals from the cache server, or summed here when the settings switch the cache
// off. A failure gives false and its HRESULT (sign-extended) in `error`.
bool FolderTotals(const std::wstring& folder, const ColumnSettings& settings,
                  CacheConnection& cache, ByteTotals& sizes, uint64_t& error);

// A file's length; false with the Win32 error in `error` when the file cannot be reached.
bool FileLength(const std::wstring& path, uint64_t& size, uint64_t& error);

// A file's length and the space it takes, as its folder's listing gives them (kept in `files`
// for a second): the file itself is never opened, so a cloud file is not downloaded. False
// with the Win32 error in `error` when the folder cannot be listed or does not hold the file.
bool ListedFileSizes(const std::wstring& path, ListedFiles& files, ByteTotals& sizes,
                     uint64_t& error);

ItemSizeResult GetItemSize(const std::wstring& path, bool isFolder, SizeKind kind,
                           bool wantParent, const ColumnSettings& settings, CellSources& sources);

}  // namespace trovelle
