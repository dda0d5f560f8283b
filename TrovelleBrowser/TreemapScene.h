// The treemap as blocks in pixels: the root's children, theirs and so on, each level laid out
// (squarified) inside its parent's block, inset so that the nesting reads. Blocks are kept in
// pre-order, so the last block that holds a point is the deepest one there.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "TreemapItem.h"

namespace trovelle::browser {

inline constexpr size_t kNoBlock = SIZE_MAX;

struct SceneBlock {
    RECT rect = {};
    const TreemapItem* item = nullptr;  // null: the block of the level's smaller items
    size_t parent = kNoBlock;           // the block it lies in; kNoBlock at the top level
    size_t topRank = kNoBlock;          // which of the root's blocks it lies in (0: largest)
    uint64_t bytes = 0;
    size_t groupedCount = 0;  // for the block of smaller items
    int depth = 1;            // 1: a child of the root
    bool header = false;      // a strip at the top holds its name above its children
    bool container = false;   // its children are drawn inside it
};

struct SceneMetrics {
    int inset = 2;            // between a block's edge and its children
    int headerHeight = 16;    // a container's name strip, when the block is tall enough
    double minimumArea = 25;  // smaller items share one block
    int maxDepth = 8;
};

class TreemapScene {
public:
    void Build(const TreemapItem& root, const RECT& bounds, const SceneMetrics& metrics);
    void Clear();

    const std::vector<SceneBlock>& Blocks() const { return blocks_; }
    const TreemapItem* Root() const { return root_; }
    // The deepest block under the point, or kNoBlock.
    size_t BlockAt(POINT point) const;
    // The path of the block, or of the nearest block (or the root) above it that has one.
    std::wstring PathOf(size_t block) const;

private:
    void LayOutChildren(const TreemapItem& parent, const RECT& area, size_t parentBlock, int depth);

    const TreemapItem* root_ = nullptr;
    SceneMetrics metrics_;
    std::vector<SceneBlock> blocks_;
};

}  // namespace trovelle::browser
