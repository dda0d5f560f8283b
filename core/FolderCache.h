// Measures folder sizes: through the folder size tree on fixed drives, by a plain sum elsewhere.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "FolderIndex.h"
#include "PathAliases.h"
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

struct ChangeRecord {
    uint32_t action = 0;
    std::u16string name;  // relative to the watched root
};

// What the cache met since it started; read by the debug dump, the tests and the benchmarks.
struct CacheCounters {
    std::atomic<uint64_t> batchesApplied{0};
    std::atomic<uint64_t> overflows{0};        // batches whose changes were lost
    std::atomic<uint64_t> failedArms{0};       // watches that could not be (re)started
    std::atomic<uint64_t> staleDrives{0};      // times a whole drive was made stale
    std::atomic<uint64_t> unlistableFolders{0};
};

struct FolderCacheOptions {
    // Wine keeps reporting changes inside a renamed folder under its old path; when set, the
    // cache remembers folder renames and applies such changes at the new path too.
    bool followRenamedFolders = false;
    size_t aliasCapacity = 4096;  // per kind of alias, for the whole cache
};

class FolderCache {
public:
    FolderCache(DirectoryLister& lister, DriveTypeQuery& drives, Lock& lock,
                FolderCacheOptions options = {});

    // Every spelling of a folder is made canonical first. Fixed drives go through the tree,
    // every other path is summed afresh. Never fails: what cannot be listed counts 0.
    uint64_t GetFolderSize(std::u16string_view request);
    // Measures a canonical drive path through the tree, reusing valid totals and storing what
    // it computed.
    uint64_t ScanFolder(const Path& folder);
    // Plain recursive sum that touches no shared state.
    uint64_t SumFolder(const Path& folder);

    // Applies the records of one completed read of the watch on `root` ("x:\\"), in order.
    void ApplyChanges(std::u16string_view root, const std::vector<ChangeRecord>& records);
    // Applies one change record: `fullPath` is the changed item's path as reported.
    void ApplyChange(uint32_t action, const Path& fullPath);
    // Marks every cached folder at or below `prefix` stale, for changes that were lost.
    void InvalidateAllUnder(const Path& prefix);
    // Forgets every cached folder at or below `prefix` (a drive whose watch was lost).
    void DropAllUnder(const Path& prefix);
    void Reset();

    size_t CachedFolderCount();
    // Whether the folder has a node in the index (valid or stale).
    bool HasNode(const Path& folder);
    // Runs `visit` for every node with the cache lock held throughout.
    void VisitLocked(const std::function<void(const FolderNode&)>& visit);
    CacheCounters& Counters() { return counters_; }

private:
    struct PreparedChange;
    void ApplyLocked(const PreparedChange& change);
    void MarkDriveUntrusted(char16_t letter);
    bool IsUntrusted(char16_t letter) const;

    DirectoryLister& lister_;
    DriveTypeQuery& drives_;
    Lock& lock_;
    FolderCacheOptions options_;
    FolderIndex index_;
    PathAliases linkAliases_;     // target -> link through which the target was counted
    PathAliases renameAliases_;   // old path -> new path of renamed folders (Wine)
    Path pendingRenameFrom_;      // an old-name record waiting for its new name
    uint32_t untrustedDrives_ = 0;  // bit per letter: renames too many to follow
    CacheCounters counters_;
};

}  // namespace trovelle
