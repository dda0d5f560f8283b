// The window's background thread, with an apartment of its own (as Explorer filled its slow
// columns): it lists a folder, loads the column handlers for it and asks them for cells, rows
// the user looks at first, and posts what it found to the window. The window thread never
// waits for it, the disk or the cache server.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "FolderContent.h"

namespace trovelle::browser {

// Posted to the window; lParam owns a Listing or a CellBatch (take it with TakePosted).
inline constexpr UINT kListingReady = WM_APP + 1;
inline constexpr UINT kCellsReady = WM_APP + 2;

template <typename Payload>
std::unique_ptr<Payload> TakePosted(LPARAM lParam) {
    return std::unique_ptr<Payload>(reinterpret_cast<Payload*>(lParam));
}

class FolderWorker {
public:
    explicit FolderWorker(HWND window);
    ~FolderWorker();
    FolderWorker(const FolderWorker&) = delete;
    FolderWorker& operator=(const FolderWorker&) = delete;

    // Lists `folder` as `generation`; whatever the worker was doing for an older one stops.
    void List(uint64_t generation, std::wstring folder);
    // Measures `items` of the listing `generation` in this order (then the folder's own total
    // when asked), after anything still queued.
    void Fill(uint64_t generation, std::vector<FillItem> items, bool folderTotal);
    // Rows about to be shown go before the rest.
    void Prioritize(uint64_t generation, const std::vector<size_t>& rows);
    // Ends the thread, waiting a bounded time for a cell being measured.
    void Stop();

private:
    struct Shared;
    static void Run(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace trovelle::browser
