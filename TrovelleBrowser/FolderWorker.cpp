#include "FolderWorker.h"

#include <chrono>
#include <unordered_map>

#include "CacheConnection.h"
#include "ColumnHandlers.h"
#include "ComApartment.h"
#include "FolderItems.h"
#include "FolderListing.h"
#include "SizeAnswers.h"
#include "TrovexGuidText.h"
#include "ViewColumns.h"
#include "WorkerStop.h"

namespace trovelle::browser {
namespace {

// Cells reach the window in batches at most this far apart, so painting keeps up without a
// message per cell.
constexpr auto kBatchInterval = std::chrono::milliseconds(40);
// A folder's first rows are shown from this many items while the rest is listed: a screenful,
// from the first answers of the file system.
constexpr size_t kFirstRows = 200;

// The other handlers' columns: the product's own handler is left out, as the window shows
// those sizes itself, and so is any column a handler hides.
std::vector<host::HostColumn> OtherHandlerColumns(const host::ColumnSet& set) {
    CLSID product = {};
    ::CLSIDFromString(TrovexFolderSize_GUID_TEXT, &product);
    std::vector<host::HostColumn> others;
    for (const host::HostColumn& column : set.columns) {
        if (column.info.scid.fmtid == product || (column.info.csFlags & SHCOLSTATE_HIDDEN) != 0) {
            continue;
        }
        others.push_back(column);
    }
    return others;
}

std::vector<Row> RowsOf(std::vector<BrowserItem> items) {
    std::vector<Row> rows;
    rows.reserve(items.size());
    for (BrowserItem& item : items) rows.push_back(Row::Of(std::move(item)));
    return rows;
}

}  // namespace

struct FolderWorker::Shared {
    explicit Shared(HWND target) : window(target) {}

    const HWND window;
    std::mutex lock;
    std::condition_variable wake;
    bool stopping = false;
    bool stopped = false;
    uint64_t generation = 0;
    std::optional<std::wstring> folderToList;
    std::wstring folder;
    std::set<std::wstring> shownColumns;
    // The fill of the current generation: items in order, what is done, what goes first.
    std::vector<FillItem> items;
    std::vector<bool> done;
    std::unordered_map<size_t, size_t> positionOfRow;
    size_t next = 0;
    std::deque<size_t> urgent;
    bool folderTotal = false;

    // The next item to measure (its position), under the lock.
    std::optional<size_t> TakeNext() {
        while (!urgent.empty()) {
            const size_t position = urgent.front();
            urgent.pop_front();
            if (!done[position]) return position;
        }
        while (next < items.size() && done[next]) ++next;
        if (next < items.size()) return next;
        return std::nullopt;
    }
    bool HasWork() const {
        return stopping || folderToList || next < items.size() || !urgent.empty() || folderTotal;
    }
};

FolderWorker::FolderWorker(HWND window) : shared_(std::make_shared<Shared>(window)) {
    thread_ = std::thread(Run, shared_);
}

FolderWorker::~FolderWorker() { Stop(); }

void FolderWorker::List(uint64_t generation, std::wstring folder) {
    const std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->generation = generation;
    shared_->folderToList = std::move(folder);
    shared_->items.clear();
    shared_->done.clear();
    shared_->positionOfRow.clear();
    shared_->urgent.clear();
    shared_->next = 0;
    shared_->folderTotal = false;
    shared_->wake.notify_all();
}

void FolderWorker::Fill(uint64_t generation, std::vector<FillItem> items, bool folderTotal) {
    const std::lock_guard<std::mutex> hold(shared_->lock);
    if (generation != shared_->generation) return;
    for (FillItem& item : items) {
        const size_t position = shared_->items.size();
        shared_->positionOfRow[item.row] = position;
        shared_->items.push_back(std::move(item));
        shared_->done.push_back(false);
    }
    shared_->folderTotal = shared_->folderTotal || folderTotal;
    shared_->wake.notify_all();
}

void FolderWorker::ShowHandlerColumns(std::set<std::wstring> ids) {
    const std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->shownColumns = std::move(ids);
}

void FolderWorker::Prioritize(uint64_t generation, const std::vector<size_t>& rows) {
    const std::lock_guard<std::mutex> hold(shared_->lock);
    if (generation != shared_->generation) return;
    for (const size_t row : rows) {
        const auto found = shared_->positionOfRow.find(row);
        if (found != shared_->positionOfRow.end() && !shared_->done[found->second]) {
            shared_->urgent.push_back(found->second);
        }
    }
}

void FolderWorker::Stop() { StopWorker(thread_, *shared_); }

// What the thread keeps between its steps, in its own apartment.
struct FolderWorkerState {
    CacheConnection cache;
    host::ColumnSet handlers;
    std::vector<host::HostColumn> columns;  // the other handlers' columns, as posted
    SubfolderTotals known;                  // from the folder's last batch answer
};

void FolderWorker::Run(std::shared_ptr<Shared> shared) {
    const ComApartment apartment;
    auto state = std::make_unique<FolderWorkerState>();
    std::unique_ptr<CellBatch> batch;
    auto lastPost = std::chrono::steady_clock::now();
    auto flush = [&] {
        if (batch) Post(shared->window, kCellsReady, std::move(batch));
        lastPost = std::chrono::steady_clock::now();
    };
    auto batchOf = [&](uint64_t generation) -> CellBatch& {
        if (!batch) {
            batch = std::make_unique<CellBatch>();
            batch->generation = generation;
        }
        return *batch;
    };

    std::unique_lock<std::mutex> hold(shared->lock);
    for (;;) {
        if (!shared->HasWork()) {
            hold.unlock();
            flush();
            hold.lock();
            shared->wake.wait(hold, [&] { return shared->HasWork(); });
        }
        if (shared->stopping) break;
        const uint64_t generation = shared->generation;
        if (batch && batch->generation != generation) batch.reset();

        if (shared->folderToList) {
            auto listing = std::make_unique<Listing>();
            listing->generation = generation;
            listing->folder = std::move(*shared->folderToList);
            shared->folderToList.reset();
            shared->folder = listing->folder;
            hold.unlock();
            state->handlers = {};  // handlers of the previous folder go before new ones load
            state->columns.clear();
            state->known = {};
            std::vector<BrowserItem> items;
            if (ListForBrowser(listing->folder, items, kFirstRows) == ERROR_SUCCESS &&
                items.size() == kFirstRows) {
                auto first = std::make_unique<Listing>();
                first->generation = generation;
                first->folder = listing->folder;
                first->partial = true;
                first->rows = RowsOf(std::move(items));
                Post(shared->window, kListingReady, std::move(first));
            }
            listing->error = ListForBrowser(listing->folder, items);
            listing->rows = RowsOf(std::move(items));
            const bool listed = listing->error == ERROR_SUCCESS;
            const std::wstring folder = listing->folder;
            // The rows are shown before any handler loads.
            Post(shared->window, kListingReady, std::move(listing));
            if (listed && apartment) {
                state->handlers = host::LoadColumns(folder);
                state->columns = OtherHandlerColumns(state->handlers);
                auto offered = std::make_unique<HandlerColumns>();
                offered->generation = generation;
                for (const host::HostColumn& column : state->columns) {
                    offered->columns.push_back(column.info);
                }
                Post(shared->window, kHandlerColumnsReady, std::move(offered));
            }
            hold.lock();
            continue;
        }

        if (shared->folderTotal) {
            shared->folderTotal = false;
            const std::wstring folder = shared->folder;
            hold.unlock();
            if (folder != kDrivesPath && apartment) {
                // One round trip: the folder's total and every subfolder total the server knows.
                ByteTotals totals;
                const HRESULT result =
                    state->cache.FolderAndSubfolderSizes(folder, folder, totals, state->known);
                batchOf(generation).folder = SizesFromAnswer(folder, result, totals);
                flush();
            }
            hold.lock();
            continue;
        }

        const std::optional<size_t> position = shared->TakeNext();
        if (!position) continue;  // only rows already measured were urged
        const FillItem item = shared->items[*position];
        shared->done[*position] = true;
        const std::set<std::wstring> shownColumns = shared->shownColumns;
        hold.unlock();
        FilledRow& filled = batchOf(generation).rows.emplace_back();
        filled.row = item.row;
        if ((item.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            const std::optional<ItemSizes> known = KnownSizes(state->known, item.name);
            filled.sizes = known ? *known : AskFolderSizes(state->cache, item.path);
        }
        // A handler sees at most MAX_PATH characters of a path: a longer one would be another
        // item's, so such a row's cells stay empty.
        const bool handlerMaySee = item.path.size() < MAX_PATH;
        for (const host::HostColumn& column : state->columns) {
            if (handlerMaySee && shownColumns.count(HandlerColumnId(column.info)) != 0) {
                host::ListedItem listed;
                host::FillColumnData(listed, item.path, item.attributes);
                filled.cells.push_back(host::AskCell(*state->handlers.handlers[column.handler].provider.Get(),
                                                     column.info, listed.data));
            } else {
                filled.cells.emplace_back();
            }
        }
        if (std::chrono::steady_clock::now() - lastPost >= kBatchInterval) flush();
        hold.lock();
    }
    hold.unlock();
    batch.reset();
    state.reset();  // released in the apartment that made them
    hold.lock();
    shared->stopped = true;
    shared->wake.notify_all();
}

}  // namespace trovelle::browser
