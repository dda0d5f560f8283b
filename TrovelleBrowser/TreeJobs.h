// What the folder tree asks of the cache worker: a folder's subfolders, then its total and every
// subfolder total the server knows in one call (then one call for each it did not know), and
// the drives with their totals.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "CacheWorker.h"
#include "FolderContent.h"

namespace trovelle::browser {

// Posted to the window; lParam owns TreeChildren or TreeSizes (take it with TakePosted).
inline constexpr UINT kTreeChildrenReady = WM_APP + 5;
inline constexpr UINT kTreeSizesReady = WM_APP + 6;

struct TreeChild {
    std::wstring name;
    std::wstring path;
    ItemSizes sizes;  // Measuring: asked after the listing
    int icon = -1;    // in the system's small image list; -1: a folder's
};

struct TreeChildren {
    std::wstring parent;
    DWORD error = ERROR_SUCCESS;  // the parent could not be listed (perhaps gone)
    std::vector<TreeChild> children;
};

struct TreeSizes {
    std::vector<std::pair<std::wstring, ItemSizes>> byPath;
};

CacheWorker::Job ExpandJob(HWND window, std::wstring folder);
// The fixed and removable drives as the tree's roots (posted as the children of kDrivesPath).
CacheWorker::Job DrivesJob(HWND window);
// The totals of `folders`, one call each (a drive's may take the server a while: queued after
// what the user waits for).
CacheWorker::Job SizesJob(HWND window, std::vector<std::wstring> folders);


}  // namespace trovelle::browser
