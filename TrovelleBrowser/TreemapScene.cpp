#include "TreemapScene.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "treemap/Squarify.h"

namespace trovelle::browser {
namespace {

// Neighbours round their shared edge the same way, so blocks meet without gaps or overlaps.
RECT ToPixels(const treemap::Rect& rect) {
    return RECT{std::lround(rect.left), std::lround(rect.top), std::lround(rect.left + rect.width),
                std::lround(rect.top + rect.height)};
}

uint64_t SaturatingAdd(uint64_t sum, uint64_t bytes) {
    return bytes > std::numeric_limits<uint64_t>::max() - sum ? std::numeric_limits<uint64_t>::max()
                                                              : sum + bytes;
}

}  // namespace

void TreemapScene::Clear() {
    root_ = nullptr;
    blocks_.clear();
}

void TreemapScene::Build(const TreemapItem& root, const RECT& bounds, const SceneMetrics& metrics) {
    Clear();
    root_ = &root;
    metrics_ = metrics;
    if (root.bytes == 0 || root.children.empty()) return;
    LayOutChildren(root, bounds, kNoBlock, 1);
}

void TreemapScene::LayOutChildren(const TreemapItem& parent, const RECT& area, size_t parentBlock,
                                  int depth) {
    std::vector<uint64_t> weights;
    weights.reserve(parent.children.size() + 1);
    uint64_t known = 0;
    for (const TreemapItem& child : parent.children) {
        weights.push_back(child.bytes);
        known = SaturatingAdd(known, child.bytes);
    }
    // What the children leave of the parent's bytes is laid out as one more weight and left
    // empty, so a child's area stays its share of the parent.
    const size_t unknownRest = weights.size();
    weights.push_back(parent.bytes > known ? parent.bytes - known : 0);

    const treemap::Rect bounds{double(area.left), double(area.top), double(area.right - area.left),
                               double(area.bottom - area.top)};
    const treemap::Layout layout = treemap::Squarify(weights, bounds, metrics_.minimumArea);
    const bool restGrouped =
        weights[unknownRest] > 0 &&
        std::none_of(layout.blocks.begin(), layout.blocks.end(),
                     [&](const treemap::Block& block) { return block.item == unknownRest; });

    size_t rank = 0;
    for (const treemap::Block& laid : layout.blocks) {
        if (laid.item == unknownRest) continue;
        SceneBlock block;
        block.rect = ToPixels(laid.rect);
        if (::IsRectEmpty(&block.rect)) continue;
        block.parent = parentBlock;
        block.depth = depth;
        if (laid.item == treemap::kGroupedItems) {
            block.groupedCount = layout.groupedCount - (restGrouped ? 1 : 0);
            block.bytes = layout.groupedWeight - (restGrouped ? weights[unknownRest] : 0);
            if (block.groupedCount == 0) continue;
        } else {
            block.item = &parent.children[laid.item];
            block.bytes = block.item->bytes;
        }
        if (depth == 1) {
            block.topRank = block.item != nullptr ? rank++ : kNoBlock;
        } else {
            block.topRank = blocks_[parentBlock].topRank;
        }
        blocks_.push_back(block);
        const size_t index = blocks_.size() - 1;

        if (block.item == nullptr || block.item->children.empty() || depth >= metrics_.maxDepth) {
            continue;
        }
        RECT inner = block.rect;
        ::InflateRect(&inner, -metrics_.inset, -metrics_.inset);
        const int width = inner.right - inner.left, height = inner.bottom - inner.top;
        if (width <= 0 || height <= 0) continue;
        if (height >= 3 * metrics_.headerHeight && width >= 3 * metrics_.headerHeight) {
            blocks_[index].header = true;
            inner.top += metrics_.headerHeight;
        }
        LayOutChildren(*block.item, inner, index, depth + 1);
        blocks_[index].container = blocks_.size() > index + 1;
    }
}

size_t TreemapScene::BlockAt(POINT point) const {
    for (size_t index = blocks_.size(); index-- > 0;) {
        if (::PtInRect(&blocks_[index].rect, point)) return index;
    }
    return kNoBlock;
}

std::wstring TreemapScene::PathOf(size_t block) const {
    for (; block != kNoBlock; block = blocks_[block].parent) {
        const TreemapItem* item = blocks_[block].item;
        if (item != nullptr && !item->path.empty()) return item->path;
    }
    return root_ != nullptr ? root_->path : std::wstring();
}

}  // namespace trovelle::browser
