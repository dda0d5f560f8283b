// The window's background thread, with an apartment of its own (as Explorer filled its slow
// columns): it lists a folder, asks the cache server for the folder's total and its subfolders'
// (one call for all it knows, then one for each it did not), loads the other column handlers
// and asks them for the cells the user chose to see, rows the user looks at first, and posts
// what it found to the window. The window thread never waits for it, the disk or the server.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "FolderContent.h"
#include "PostedPayload.h"

namespace trovelle::browser {

// Posted to the window; lParam owns a Listing, a CellBatch or HandlerColumns (take it with
// TakePosted).
inline constexpr UINT kListingReady = WM_APP + 1;
inline constexpr UINT kCellsReady = WM_APP + 2;
inline constexpr UINT kHandlerColumnsReady = WM_APP + 4;

class FolderWorker {
public:
    explicit FolderWorker(HWND window);
    ~FolderWorker();
    FolderWorker(const FolderWorker&) = delete;
    FolderWorker& operator=(const FolderWorker&) = delete;

    // Lists `folder` as `generation`; whatever the worker was doing for an older one stops.
    void List(uint64_t generation, std::wstring folder);
    // Measures `items` of the listing `generation` in this order, after anything still queued;
    // first, when asked, the folder's own total with every subfolder total the server knows.
    void Fill(uint64_t generation, std::vector<FillItem> items, bool folderTotal);
    // The other handlers' columns shown (by their lasting ids): only their cells are asked.
    void ShowHandlerColumns(std::set<std::wstring> ids);
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
