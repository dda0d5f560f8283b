// What the folder page shows of the items selected in Explorer, measured away from the page's
// thread: their totals, how many folders and files they are, and for one folder its largest
// items. Sizes come the way the size column gets them (cache server, or summed here with the
// cache switched off).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "ColumnSettings.h"
#include "index/Totals.h"

namespace trovelle {

inline constexpr size_t kLargestItemsShown = 10;

struct SizedItem {
    std::wstring name;
    bool isFolder = false;
    ByteTotals size;
};

// Why there is no total; never a number that leaves out what could not be read.
struct MeasureFailure {
    enum class Kind { None, Unreadable, CacheServer, Cancelled };
    Kind kind = Kind::None;
    std::wstring path;  // the item that failed
    uint32_t code = 0;  // a Win32 error for Unreadable, an HRESULT for CacheServer
};

struct SelectionMeasurement {
    MeasureFailure failure;
    ByteTotals total;
    unsigned folders = 0;
    unsigned files = 0;
    // One folder selected: its largest items by size and its largest by size on disk (up to
    // kLargestItemsShown of each, in no order), so that either order can be shown.
    std::vector<SizedItem> largest;
};

// Measures `paths`; gives up between items once `cancelled` is set.
SelectionMeasurement MeasureSelection(const std::vector<std::wstring>& paths,
                                      const ColumnSettings& settings,
                                      const std::atomic<bool>& cancelled);

// The `count` largest of `items` by size, or by size on disk, largest first.
std::vector<SizedItem> LargestBy(std::vector<SizedItem> items, bool onDisk, size_t count);

// A path without its trailing separators, a drive root as "D:" (the form the cache keys).
std::wstring WithoutTrailingSeparator(std::wstring path);

}  // namespace trovelle
