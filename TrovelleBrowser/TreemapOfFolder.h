// The treemap's picture of the open folder: its rows whose sizes are known, each subfolder with
// what the cache worker found below it.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "FolderContent.h"
#include "RowOrder.h"
#include "TreemapItem.h"

namespace trovelle::browser {

TreemapItem TreemapOfFolder(const std::wstring& folder, const ItemSizes& folderSizes,
                            const std::vector<const Row*>& rows,
                            const std::unordered_map<std::wstring, std::vector<TreemapItem>>& below);

}  // namespace trovelle::browser
