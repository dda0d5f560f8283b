#include "TreemapJob.h"

#include <algorithm>
#include <memory>

#include "FolderItems.h"
#include "PostedPayload.h"
#include "SizeAnswers.h"

namespace trovelle::browser {
namespace {

// Folders listed and asked for at most, for one picture.
constexpr size_t kMostFolders = 400;

// A folder's files (their lengths, from the listing) and subfolders (their totals, where the
// server knows them; one call for all).
std::vector<TreemapItem> ItemsBelow(CacheConnection& cache, const std::wstring& folder) {
    std::vector<TreemapItem> items;
    DWORD error = ERROR_SUCCESS;
    const std::vector<host::ListedItem> listed = host::ListFolder(folder, error, host::ItemOrder::AsListed);
    if (error != ERROR_SUCCESS) return items;
    ByteTotals totals;
    SubfolderTotals known;
    cache.FolderAndSubfolderSizes(folder, folder, totals, known);
    std::wstring base = folder;
    if (base.back() != L'\\') base += L'\\';
    for (const host::ListedItem& entry : listed) {
        const bool isFolder = (entry.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        uint64_t bytes = entry.size;
        if (isFolder) {
            const std::optional<ItemSizes> sizes = KnownSizes(known, entry.name);
            if (!sizes) continue;  // not known yet: its room stays empty
            bytes = sizes->totals.bytes;
        }
        if (bytes > 0) items.push_back({entry.name, base + entry.name, bytes, isFolder, {}});
    }
    return items;
}

}  // namespace

CacheWorker::Job TreemapDepthJob(HWND window, uint64_t generation, std::vector<SizedFolder> subfolders,
                                 uint64_t smallestShown) {
    return [=, subfolders = std::move(subfolders)](CacheConnection& cache) mutable {
        std::sort(subfolders.begin(), subfolders.end(),
                  [](const SizedFolder& a, const SizedFolder& b) { return a.bytes > b.bytes; });
        auto depth = std::make_unique<TreemapDepth>();
        depth->generation = generation;
        size_t asked = 0;
        for (const SizedFolder& subfolder : subfolders) {
            if (asked++ >= kMostFolders || subfolder.bytes < smallestShown) break;
            std::vector<TreemapItem> second = ItemsBelow(cache, subfolder.path);
            for (TreemapItem& item : second) {
                if (!item.folder || item.bytes < smallestShown || asked >= kMostFolders) continue;
                ++asked;
                item.children = ItemsBelow(cache, item.path);
            }
            depth->below.emplace(subfolder.path, std::move(second));
        }
        Post(window, kTreemapDepthReady, std::move(depth));
    };
}

}  // namespace trovelle::browser
