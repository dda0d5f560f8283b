// The byte counts behind the cells: a file's length, a folder's total from the cache server or
// a local sum, and the parent folder's total for the percent column.
#pragma once

#include <cstdint>
#include <string>

#include "ColumnSettings.h"

namespace trovelle {

struct ItemSizeResult {
    bool succeeded = false;
    // The size on success; on failure an error code to show, 0 meaning "leave the cell empty".
    uint64_t size = 0;
    uint64_t parentSize = 0;
};

ItemSizeResult GetItemSize(const std::wstring& path, bool isFolder, bool wantParent,
                           const ColumnSettings& settings);

// The item's path cut at its last backslash; a path without one stays whole.
std::wstring ParentPath(const std::wstring& path);

}  // namespace trovelle
