// What the treemap asks of the cache worker: below each subfolder of the open folder, its files
// and subfolders, and below those their own, as far as the server knows their totals: the
// second and third levels of the picture (the first is the list's rows).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "CacheWorker.h"
#include "TreemapItem.h"

namespace trovelle::browser {

// Posted to the window; lParam owns TreemapDepth (take it with TakePosted).
inline constexpr UINT kTreemapDepthReady = WM_APP + 7;

struct TreemapDepth {
    uint64_t generation = 0;
    // The children (with theirs) of each subfolder asked, by its path.
    std::unordered_map<std::wstring, std::vector<TreemapItem>> below;
};

struct SizedFolder {
    std::wstring path;
    uint64_t bytes = 0;
};

// Lists each of `subfolders` (largest first) and asks the server once for each, and once more
// for each of their subfolders large enough to show (at least `smallestShown` bytes); stops
// after a bounded number of folders, so a folder of thousands of subfolders costs a moment.
CacheWorker::Job TreemapDepthJob(HWND window, uint64_t generation, std::vector<SizedFolder> subfolders,
                                 uint64_t smallestShown);

}  // namespace trovelle::browser
