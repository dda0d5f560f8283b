// The squarified treemap (Bruls, Huizing and van Wijk): a list of weights as rectangles whose
// areas are proportional to the weights, as close to squares as a greedy row-by-row fill gets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace trovelle::treemap {

struct Rect {
    double left = 0, top = 0, width = 0, height = 0;
};

// The item index of the block that stands for the smallest items together.
inline constexpr size_t kGroupedItems = SIZE_MAX;

struct Block {
    size_t item = 0;  // index into the weights given, or kGroupedItems
    Rect rect;
};

struct Layout {
    std::vector<Block> blocks;  // one per laid-out item, the grouped block (if any) last
    size_t groupedCount = 0;    // how many items the grouped block holds
    uint64_t groupedWeight = 0;
};

// Lays out `weights` in `bounds`, largest first (ties keep their input order), each row along
// the shorter side of the space still free. Items of weight 0 are left out. Items whose area
// would be below `minimumArea` (in the units of bounds, e.g. square pixels) share one block at
// the end. Empty, degenerate or non-finite bounds give no blocks.
Layout Squarify(const std::vector<uint64_t>& weights, const Rect& bounds, double minimumArea);

}  // namespace trovelle::treemap
