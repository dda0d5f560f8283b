#include "FolderCache.h"

#include <optional>
#include <string_view>
#include <vector>

#include "FolderKey.h"

namespace trovelle {
namespace {

bool IsDotOrDotDot(const std::u16string& name) { return name == u"." || name == u".."; }

Path ChildPath(const Path& folder, const std::u16string& name) {
    Path child;
    child.reserve(folder.size() + 1 + name.size());
    child.append(folder).append(1, u'\\').append(name);
    return child;
}

// A subfolder still to be measured; links are checked against the descent path first.
struct Subfolder {
    std::u16string name;
    bool isLink = false;
};

// One folder on the current descent path. Frames live on the heap, so depth costs no stack.
struct Frame {
    Path path;
    Path key;
    FolderRecord record;
    bool cached = false;  // false: measured but not stored (detached from the index)
    std::vector<Subfolder> subfolders;
    size_t next = 0;
    uint64_t fileSum = 0;
    uint64_t childSum = 0;
    std::optional<FolderIdentity> identity;  // filled only when a link needs comparing
};

// Whether descending into `child` would re-enter a folder already on the path.
bool ClosesLoop(DirectoryLister& lister, std::vector<Frame>& path, const Path& child) {
    FolderIdentity target;
    if (!lister.Identify(child, target)) return false;
    for (Frame& frame : path) {
        if (!frame.identity) {
            FolderIdentity identity;
            frame.identity = lister.Identify(frame.path, identity) ? identity : FolderIdentity{};
        }
        if (*frame.identity == target && !(target == FolderIdentity{})) return true;
    }
    return false;
}

// Splits a listing into the file sum and the subfolders to visit, as the record's flags ask.
void ReadListing(const std::vector<DirectoryEntry>& entries, Frame& frame) {
    const bool sumFiles = frame.record.sizeInvalid != 0;
    const bool visitFolders = frame.record.childSizeInvalid != 0;
    frame.fileSum = sumFiles ? 0 : frame.record.size;
    frame.childSum = visitFolders ? 0 : frame.record.childSize;
    for (const DirectoryEntry& entry : entries) {
        if (entry.isFolder && visitFolders) {
            if (!IsDotOrDotDot(entry.name)) frame.subfolders.push_back({entry.name, entry.isLink});
        } else if (sumFiles) {
            frame.fileSum += entry.size;
        }
    }
}

}  // namespace

FolderCache::FolderCache(DirectoryLister& lister, DriveTypeQuery& drives, Lock& lock)
    : lister_(lister), drives_(drives), lock_(lock) {}

uint64_t FolderCache::GetFolderSize(const Path& folder) {
    if (folder.empty()) return 0;
    if (drives_.TypeOfRoot(folder[0]) == DriveType::Fixed) return ScanFolder(folder);
    return SumFolder(folder);
}

uint64_t FolderCache::ScanFolder(const Path& folder) {
    std::vector<Frame> stack;
    std::vector<DirectoryEntry> entries;
    uint64_t result = 0;

    // Opens `path` below the top frame (or as the requested folder). Returns the folder's total
    // when it is known without listing its subfolders; otherwise pushes a frame and returns nothing.
    auto enter = [&](Path path) -> std::optional<uint64_t> {
        Frame frame;
        frame.key = path;
        FoldKey(frame.key);
        frame.path = std::move(path);
        {
            LockGuard guard(lock_);
            FolderNode* node = nullptr;
            if (stack.empty()) {
                node = index_.FindOrCreate(frame.key, nullptr);
                if (node == nullptr) return 0;
            } else if (stack.back().cached) {
                // The parent may have been removed or reset while it was listed; a child must
                // then not be linked to it, so it is measured without being stored.
                if (FolderNode* parent = index_.Find(stack.back().key)) {
                    node = index_.FindOrCreate(frame.key, parent);
                    if (node == nullptr) return 0;
                }
            }
            frame.cached = node != nullptr;
            if (node != nullptr) frame.record = FolderRecord::CopyOf(*node);
        }
        if (frame.record.sizeInvalid == 0 && frame.record.childSizeInvalid == 0) {
            return frame.record.size + frame.record.childSize;
        }
        if (!lister_.List(frame.path, entries)) return 0;  // stays stale, tried again next time
        ReadListing(entries, frame);
        stack.push_back(std::move(frame));
        return std::nullopt;
    };

    if (auto total = enter(folder)) return *total;
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next < top.subfolders.size()) {
            const Subfolder& sub = top.subfolders[top.next++];
            Path child = ChildPath(top.path, sub.name);
            if (sub.isLink && ClosesLoop(lister_, stack, child)) continue;
            if (auto total = enter(std::move(child))) stack.back().childSum += *total;
            continue;
        }
        const uint64_t total = top.fileSum + top.childSum;
        if (top.cached) {
            FolderRecord stored = top.record;
            stored.size = top.fileSum;
            stored.childSize = top.childSum;
            stored.sizeInvalid = stored.childSizeInvalid = 0;
            LockGuard guard(lock_);
            index_.Store(top.key, stored);
        }
        stack.pop_back();
        if (stack.empty()) {
            result = total;
        } else {
            stack.back().childSum += total;
        }
    }
    return result;
}

uint64_t FolderCache::SumFolder(const Path& folder) {
    std::vector<Frame> stack;
    std::vector<DirectoryEntry> entries;
    auto enter = [&](Path path) -> bool {
        if (!lister_.List(path, entries)) return false;
        Frame frame;
        frame.path = std::move(path);
        ReadListing(entries, frame);  // a fresh record: files summed, every subfolder visited
        stack.push_back(std::move(frame));
        return true;
    };

    uint64_t result = 0;
    if (!enter(folder)) return 0;
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next < top.subfolders.size()) {
            const Subfolder& sub = top.subfolders[top.next++];
            Path child = ChildPath(top.path, sub.name);
            if (sub.isLink && ClosesLoop(lister_, stack, child)) continue;
            enter(std::move(child));
            continue;
        }
        const uint64_t total = top.fileSum + top.childSum;
        stack.pop_back();
        if (stack.empty()) {
            result = total;
        } else {
            stack.back().childSum += total;
        }
    }
    return result;
}

void FolderCache::ApplyChange(uint32_t action, const Path& fullPath) {
    const bool removes = action == kActionRemoved || action == kActionRenamedOldName;
    const bool invalidates = action >= kActionAdded && action <= kActionRenamedNewName;
    if (!invalidates) return;
    Path key = fullPath;
    FoldKey(key);
    LockGuard guard(lock_);
    if (removes) {
        if (FolderNode* node = index_.Find(key)) index_.RemoveFolder(*node);
    }
    index_.InvalidateFolder(ContainingFolder(key));
}

void FolderCache::InvalidateAllUnder(const Path& prefix) {
    Path folded = prefix;
    FoldKey(folded);
    LockGuard guard(lock_);
    std::vector<std::u16string> keys;
    index_.ForEach([&](const FolderNode& node) {
        if (node.Key().substr(0, folded.size()) == folded) keys.emplace_back(node.Key());
    });
    for (const std::u16string& key : keys) index_.InvalidateFolder(key);
}

void FolderCache::Reset() {
    LockGuard guard(lock_);
    index_.ClearIndex();
}

bool FolderCache::HasNode(const Path& folder) {
    Path key = folder;
    FoldKey(key);
    LockGuard guard(lock_);
    return index_.Find(key) != nullptr;
}

size_t FolderCache::CachedFolderCount() {
    LockGuard guard(lock_);
    return index_.Count();
}

void FolderCache::VisitLocked(const std::function<void(const FolderNode&)>& visit) {
    LockGuard guard(lock_);
    index_.ForEach(visit);
}

}  // namespace trovelle
