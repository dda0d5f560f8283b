// What the treemap pane draws: the open folder and what is known below it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trovelle::browser {

struct TreemapItem {
    std::wstring name;  // as shown
    std::wstring path;  // full path; empty for a block that stands for loose files
    uint64_t bytes = 0;
    bool folder = false;
    // As far as known; may be empty. Bytes they leave unaccounted stay an empty part of the
    // block, so that every block keeps its share of the whole.
    std::vector<TreemapItem> children;
};

}  // namespace trovelle::browser
