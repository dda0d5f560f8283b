#include "TreemapOfFolder.h"

#include "FramePaths.h"

namespace trovelle::browser {

TreemapItem TreemapOfFolder(const std::wstring& folder, const ItemSizes& folderSizes,
                            const std::vector<const Row*>& rows,
                            const std::unordered_map<std::wstring, std::vector<TreemapItem>>& below) {
    TreemapItem root{DisplayName(folder), folder, 0, true, {}};
    uint64_t sum = 0;
    root.children.reserve(rows.size());
    for (const Row* row : rows) {
        if (row->sizes.state != SizeState::Known || row->sizes.totals.bytes == 0) continue;
        TreemapItem& item = root.children.emplace_back();
        item.name = row->item.name;
        item.path = row->item.path;
        item.bytes = row->sizes.totals.bytes;
        item.folder = row->item.IsFolder();
        if (const auto found = below.find(item.path); item.folder && found != below.end()) {
            item.children = found->second;
        }
        sum = item.bytes > UINT64_MAX - sum ? UINT64_MAX : sum + item.bytes;
    }
    // The folder's own total when known (rows still measured leave their room empty).
    root.bytes = folderSizes.state == SizeState::Known ? std::max(folderSizes.totals.bytes, sum) : sum;
    return root;
}

}  // namespace trovelle::browser
