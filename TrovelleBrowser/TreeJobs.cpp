#include "TreeJobs.h"

#include <chrono>
#include <memory>
#include <utility>

#include "FolderItems.h"
#include "FolderListing.h"
#include "PostedPayload.h"
#include "SizeAnswers.h"

namespace trovelle::browser {
namespace {

// Totals reach the window in batches at most this far apart.
constexpr auto kBatchInterval = std::chrono::milliseconds(40);

void AskEach(HWND window, CacheConnection& cache, const std::vector<std::wstring>& folders) {
    auto batch = std::make_unique<TreeSizes>();
    auto lastPost = std::chrono::steady_clock::now();
    for (const std::wstring& folder : folders) {
        batch->byPath.emplace_back(folder, AskFolderSizes(cache, folder));
        if (std::chrono::steady_clock::now() - lastPost >= kBatchInterval) {
            Post(window, kTreeSizesReady, std::exchange(batch, std::make_unique<TreeSizes>()));
            lastPost = std::chrono::steady_clock::now();
        }
    }
    if (!batch->byPath.empty()) Post(window, kTreeSizesReady, std::move(batch));
}

}  // namespace

CacheWorker::Job ExpandJob(HWND window, std::wstring folder) {
    return [window, folder = std::move(folder)](CacheConnection& cache) {
        // The subfolders show at once; their totals follow: every one the server knows in one
        // call, then the others one by one.
        auto answer = std::make_unique<TreeChildren>();
        answer->parent = folder;
        const std::vector<host::ListedItem> items =
            host::ListFolder(folder, answer->error, host::ItemOrder::AsListed);
        std::wstring base = folder;
        if (base.back() != L'\\') base += L'\\';
        for (const host::ListedItem& item : items) {
            if ((item.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                answer->children.push_back({item.name, base + item.name, {}});
            }
        }
        const bool listed = answer->error == ERROR_SUCCESS;
        std::vector<TreeChild> children = answer->children;
        Post(window, kTreeChildrenReady, std::move(answer));
        if (!listed) return;

        ByteTotals totals;
        SubfolderTotals known;
        const HRESULT result = cache.FolderAndSubfolderSizes(folder, folder, totals, known);
        auto sizes = std::make_unique<TreeSizes>();
        sizes->byPath.emplace_back(folder, SizesFromAnswer(folder, result, totals));
        std::vector<std::wstring> unknown;
        for (const TreeChild& child : children) {
            if (const std::optional<ItemSizes> found = KnownSizes(known, child.name)) {
                sizes->byPath.emplace_back(child.path, *found);
            } else {
                unknown.push_back(child.path);
            }
        }
        Post(window, kTreeSizesReady, std::move(sizes));
        AskEach(window, cache, unknown);
    };
}

CacheWorker::Job DrivesJob(HWND window) {
    return [window](CacheConnection&) {
        auto answer = std::make_unique<TreeChildren>();
        answer->parent = kDrivesPath;
        std::vector<BrowserItem> drives;
        answer->error = ListForBrowser(kDrivesPath, drives);
        for (const BrowserItem& drive : drives) {
            answer->children.push_back({drive.name, drive.path, {}, drive.icon});
        }
        Post(window, kTreeChildrenReady, std::move(answer));
    };
}

CacheWorker::Job SizesJob(HWND window, std::vector<std::wstring> folders) {
    return [window, folders = std::move(folders)](CacheConnection& cache) {
        AskEach(window, cache, folders);
    };
}

}  // namespace trovelle::browser
