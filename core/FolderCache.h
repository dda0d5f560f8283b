// Measures folder sizes: through the folder size tree on fixed drives, by a plain sum elsewhere.
#pragma once

#include <cstdint>
#include <functional>

#include "FolderIndex.h"
#include "Platform.h"

namespace trovelle {

// Change actions as the system reports them in a change record.
enum ChangeAction : uint32_t {
    kActionAdded = 1,
    kActionRemoved = 2,
    kActionModified = 3,
    kActionRenamedOldName = 4,
    kActionRenamedNewName = 5,
};

class FolderCache {
public:
    FolderCache(DirectoryLister& lister, DriveTypeQuery& drives, Lock& lock);

    // Fixed drives go through the tree, every other path is summed afresh. Never fails: what
    // cannot be listed counts 0.
    uint64_t GetFolderSize(const Path& folder);
    // Measures through the tree, reusing valid totals and storing what it computed.
    uint64_t ScanFolder(const Path& folder);
    // Plain recursive sum that touches no shared state.
    uint64_t SumFolder(const Path& folder);

    // Applies one change record: `fullPath` is the changed item's path as reported.
    void ApplyChange(uint32_t action, const Path& fullPath);
    // Marks every cached folder whose key starts with `prefix` stale, for changes that were lost.
    void InvalidateAllUnder(const Path& prefix);
    void Reset();

    size_t CachedFolderCount();
    // Whether the folder has a node in the index (valid or stale).
    bool HasNode(const Path& folder);
    // Runs `visit` for every node with the cache lock held throughout.
    void VisitLocked(const std::function<void(const FolderNode&)>& visit);

private:
    DirectoryLister& lister_;
    DriveTypeQuery& drives_;
    Lock& lock_;
    FolderIndex index_;
};

}  // namespace trovelle
