#include "TreemapOfFolder.h"

#include <algorithm>

#include "FramePaths.h"
#include "index/Totals.h"

namespace trovelle::browser {
namespace {

// Blocks made for the folder's own items at most: a pane shows fewer, and the rest of a large
// folder goes into one block, so that a folder of 100,000 items costs the window little.
constexpr size_t kMostItems = 4000;

}  // namespace

TreemapItem TreemapOfFolder(const std::wstring& folder, const ItemSizes& folderSizes,
                            const std::vector<const Row*>& rows,
                            const std::unordered_map<std::wstring, std::vector<TreemapItem>>& below) {
    std::vector<const Row*> sized;
    sized.reserve(rows.size());
    for (const Row* row : rows) {
        if (row->sizes.state == SizeState::Known && row->sizes.totals.bytes > 0) sized.push_back(row);
    }
    // The largest items get blocks of their own; the others one block together.
    uint64_t rest = 0;
    size_t restCount = 0;
    if (sized.size() > kMostItems) {
        std::nth_element(sized.begin(), sized.begin() + kMostItems - 1, sized.end(),
                         [](const Row* a, const Row* b) { return a->sizes.totals.bytes > b->sizes.totals.bytes; });
        for (size_t at = kMostItems; at < sized.size(); ++at) rest = AddCapped(rest, sized[at]->sizes.totals.bytes);
        restCount = sized.size() - kMostItems;
        sized.resize(kMostItems);
    }
    TreemapItem root{DisplayName(folder), folder, 0, true, {}};
    root.children.reserve(sized.size() + 1);
    uint64_t sum = rest;
    for (const Row* row : sized) {
        TreemapItem& item = root.children.emplace_back();
        item.name = row->item.name;
        item.path = row->item.path;
        item.bytes = row->sizes.totals.bytes;
        item.folder = row->item.IsFolder();
        if (const auto found = below.find(item.path); item.folder && found != below.end()) {
            item.children = found->second;
        }
        sum = AddCapped(sum, item.bytes);
    }
    if (restCount > 0) {
        root.children.push_back({std::to_wstring(restCount) + L" smaller items", L"", rest, false, {}});
    }
    // The folder's own total when known (rows still measured leave their room empty).
    root.bytes = folderSizes.state == SizeState::Known ? std::max(folderSizes.totals.bytes, sum) : sum;
    return root;
}

}  // namespace trovelle::browser
