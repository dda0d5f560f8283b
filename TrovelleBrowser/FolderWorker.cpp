#include "FolderWorker.h"

#include <chrono>
#include <unordered_map>

#include "ColumnHandlers.h"
#include "ComApartment.h"
#include "FolderItems.h"
#include "FolderListing.h"
#include "TrovexGuidText.h"

namespace trovelle::browser {
namespace {

// Cells reach the window in batches at most this far apart, so painting keeps up without a
// message per cell.
constexpr auto kBatchInterval = std::chrono::milliseconds(40);
constexpr auto kStopWait = std::chrono::seconds(3);

template <typename Payload>
void Post(HWND window, UINT message, std::unique_ptr<Payload> payload) {
    if (::PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(payload.get()))) {
        payload.release();  // the window owns it now
    }
}

SizeColumns FindSizeColumns(const host::ColumnSet& set) {
    CLSID product = {};
    ::CLSIDFromString(TrovexFolderSize_GUID_TEXT, &product);
    SizeColumns found;
    for (size_t c = 0; c < set.columns.size(); ++c) {
        const SHCOLUMNID& id = set.columns[c].info.scid;
        if (id.fmtid != product) continue;
        if (id.pid == 1) found.sizeText = c;
        if (id.pid == 2) found.byteCount = c;
        if (id.pid == 4) found.onDiskText = c;
    }
    return found;
}

std::vector<host::Cell> AskRow(host::ColumnSet& set, const std::wstring& path, DWORD attributes) {
    host::ListedItem item;
    host::FillColumnData(item, path, attributes);
    std::vector<host::Cell> cells;
    cells.reserve(set.columns.size());
    for (const host::HostColumn& column : set.columns) {
        cells.push_back(host::AskCell(*set.handlers[column.handler].provider.Get(), column.info,
                                      item.data));
    }
    return cells;
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

void FolderWorker::Stop() {
    if (!thread_.joinable()) return;
    std::unique_lock<std::mutex> hold(shared_->lock);
    shared_->stopping = true;
    shared_->wake.notify_all();
    // A handler may be inside a long measurement; the window closes without waiting for it.
    const bool ended = shared_->wake.wait_for(hold, kStopWait, [&] { return shared_->stopped; });
    hold.unlock();
    if (ended) {
        thread_.join();
    } else {
        thread_.detach();
    }
}

void FolderWorker::Run(std::shared_ptr<Shared> shared) {
    const ComApartment apartment;
    host::ColumnSet columns;
    SizeColumns sizeColumns;  // found among `columns` when they were loaded
    std::unique_ptr<CellBatch> batch;
    auto lastPost = std::chrono::steady_clock::now();
    auto flush = [&] {
        if (batch) Post(shared->window, kCellsReady, std::move(batch));
        lastPost = std::chrono::steady_clock::now();
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
            columns = {};  // handlers of the previous folder go before new ones load
            sizeColumns = {};
            listing->error = ListForBrowser(listing->folder, listing->items);
            if (listing->error == ERROR_SUCCESS && apartment) {
                columns = host::LoadColumns(listing->folder);
                for (const host::HostColumn& column : columns.columns) {
                    listing->columns.push_back(column.info);
                }
                sizeColumns = FindSizeColumns(columns);
                listing->sizeColumns = sizeColumns;
            }
            Post(shared->window, kListingReady, std::move(listing));
            hold.lock();
            continue;
        }

        const std::optional<size_t> position = shared->TakeNext();
        if (!position && !shared->folderTotal) continue;  // only rows already measured were urged
        if (!batch) {
            batch = std::make_unique<CellBatch>();
            batch->generation = generation;
        }
        if (position) {
            const FillItem item = shared->items[*position];
            shared->done[*position] = true;
            hold.unlock();
            batch->rows.push_back({item.row, AskRow(columns, item.path, item.attributes)});
        } else {
            shared->folderTotal = false;
            const std::wstring folder = shared->folder;
            hold.unlock();
            if (folder != kDrivesPath) {
                host::ListedItem item;
                host::FillColumnData(item, folder, FILE_ATTRIBUTE_DIRECTORY);
                const auto ask = [&](std::optional<size_t> at) -> std::optional<host::Cell> {
                    if (!at) return std::nullopt;
                    const host::HostColumn& column = columns.columns[*at];
                    return host::AskCell(*columns.handlers[column.handler].provider.Get(),
                                         column.info, item.data);
                };
                batch->folderTotal = ask(sizeColumns.sizeText);
                batch->folderOnDisk = ask(sizeColumns.onDiskText);
            }
            flush();
        }
        if (batch && std::chrono::steady_clock::now() - lastPost >= kBatchInterval) flush();
        hold.lock();
    }
    hold.unlock();
    batch.reset();
    columns = {};  // released in the apartment that made them
    hold.lock();
    shared->stopped = true;
    shared->wake.notify_all();
}

}  // namespace trovelle::browser
