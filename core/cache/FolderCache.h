// Measures folder sizes: through the folder size tree on fixed drives, by a plain sum elsewhere.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cache/PathAliases.h"
#include "cache/RequestPath.h"
#include "changes/ChangeRecord.h"
#include "index/FolderIndex.h"
#include "system/Platform.h"
#include "walk/FolderWalk.h"
#include "walk/SubtreeHelpers.h"

namespace trovelle {

// What the cache met since it started; read by the debug dump, the tests and the benchmarks.
struct CacheCounters {
    std::atomic<uint64_t> batchesApplied{0};
    std::atomic<uint64_t> overflows{0};        // batches whose changes were lost
    std::atomic<uint64_t> failedArms{0};       // watches that could not be (re)started
    std::atomic<uint64_t> staleDrives{0};      // times a whole drive was made stale
    std::atomic<uint64_t> unlistableFolders{0};
    std::atomic<uint64_t> objectsHandedOut{0};  // server objects given to clients by COM
};

// Where a debug build of the server writes what the change monitor did: every record received
// and every folder it removed or made stale. Called with the cache lock held.
class ChangeTrace {
public:
    virtual ~ChangeTrace() = default;
    virtual void Note(std::string_view event, std::u16string_view path) = 0;
    // A record about the trace's own file is not traced: writing it would cause the next one.
    virtual bool Ignores(std::u16string_view /*key*/) const { return false; }
};

struct FolderCacheOptions {
    // Once a folder on a drive was renamed, Wine reports changes under wrong paths for good (the
    // renamed folder's, and those of later folders on the same drive, measured): when set, every
    // later batch on that drive makes the whole drive stale.
    bool distrustDriveAfterFolderRename = false;
    size_t aliasCapacity = 4096;  // links remembered by target, for the whole cache
    // Wine misses changes made in a new folder before its own watch is in place (a file made
    // right after its folder). When set, a folder that appeared less than this many ms ago, and
    // everything below it, is listed again on every request instead of being stored as final.
    uint64_t newFolderSettleMs = 0;
    uint64_t (*clock)() = nullptr;  // milliseconds; the steady clock when none is given
    // Called, outside the cache lock, before a requested folder that has no node yet is first
    // listed, and before a walk enters a link whose target it does not hold: Wine's subtree
    // watch covers a folder only once the folders above it were opened.
    std::function<void(const Path& folder)> beforeFirstScan;
    ChangeTrace* trace = nullptr;
    // Threads that walk cold measurements, the measuring thread included; 0: one per core.
    // All but one are started with the cache and shared by every measurement.
    unsigned scanThreads = 0;
};

// A subfolder's totals as the tree holds them: its name as listed.
struct KnownSubfolder {
    Path name;
    ByteTotals total;
};


class FolderCache {
public:
    // Change records applied under one hold of the cache lock.
    static constexpr size_t kRecordsPerLock = 64;

    FolderCache(DirectoryLister& lister, DriveTypeQuery& drives, Lock& lock,
                FolderCacheOptions options = {});

    // Every spelling of a folder is made canonical first. Fixed drives go through the tree,
    // every other path is summed afresh. What cannot be listed below the folder counts 0.
    FolderSizes GetFolderSizes(std::u16string_view request);
    // The same for a request made canonical already: one pass, one look into the index.
    FolderSizes GetFolderSizes(CanonicalRequest request);
    // The size alone; 0 for a folder that is not there.
    uint64_t GetFolderSize(std::u16string_view request) { return GetFolderSizes(request).totals.bytes; }
    // The subfolders of `parent` whose totals the tree holds valid now: what GetFolderSize would
    // answer for each at once, found under one hold of the lock, with nothing listed. Nothing
    // for a folder that is not answered through the tree.
    std::vector<KnownSubfolder> KnownSubfolders(CanonicalRequest parent);
    // Measures a canonical drive path through the tree, reusing valid totals and storing what
    // it computed.
    ByteTotals ScanFolder(const Path& folder);
    // Plain recursive sum that touches no shared state.
    ByteTotals SumFolder(const Path& folder);

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
    // Nodes of any kind, also those that only keep the place of a folder above cached ones.
    size_t IndexNodeCount();
    // Runs `visit` for every node with the cache lock held throughout.
    void VisitLocked(const std::function<void(const CachedFolderView&)>& visit);
    CacheCounters& Counters() { return counters_; }

private:
    class TreeKeeper;
    struct PreparedChange;
    struct Lookup {
        std::optional<ByteTotals> total;  // set when the folder is cached and valid
        bool hasNode = false;
    };
    Lookup Look(const Path& folder);
    // Expands short names in a canonical request; whether it is then answered through the
    // tree (a path on a fixed drive) rather than summed afresh.
    bool GoesThroughTree(CanonicalRequest& canonical);
    // Measures a canonical request, through the tree or by a plain sum.
    Measured MeasureRequest(CanonicalRequest& canonical);
    // Walks a folder that is not valid in the tree, storing what it measures.
    Measured ScanCold(const Path& folder);
    // Whether what is measured at `folder` can be kept current, recording an alias when its
    // final path differs from the path asked for.
    bool KeepsThroughItsLinks(const Path& folder);
    // The folded key of a link's target when changes there reach the cache: a fixed, watched
    // drive with a letter. Nothing otherwise.
    std::optional<Path> KeptKeyOf(const Path& targetPath);
    // Changes under `targetKey` also concern `link`; false when that cannot be remembered.
    bool RememberLink(const Path& targetKey, const Path& link);
    void ApplyLocked(const PreparedChange& change);
    // Expands short names in a reported path. False when the item is `gone` (a removal, an old
    // name) and its own name was short: `full` is then the folder that held it.
    bool PlaceShortNames(Path& full, bool gone);
    // Adds to `paths` every path its entries stand for through links (and, for an item that
    // goes, every link whose target lay at or below it). When they are too many, their drives
    // are made stale instead and only the first path is kept.
    void CollectAliasedPathsLocked(std::vector<Path>& paths, bool removes);
    // For changes at or below `folder` whose items are unknown: makes stale what is cached
    // there (unless `folderItself` is false) and whatever counts it through links.
    void MakeStaleAtOrBelowLocked(const Path& folder, bool folderItself);
    static uint32_t DriveBit(char16_t letter);
    void MakeDriveStaleLocked(std::u16string_view drive, std::string_view why);
    uint64_t Now() const;
    void NoteNewFolder(const Path& key);
    bool IsSettling(std::u16string_view path);
    void Trace(std::string_view event, std::u16string_view path) {
        if (options_.trace != nullptr && !quietRecord_) options_.trace->Note(event, path);
    }

    DirectoryLister& lister_;
    DriveTypeQuery& drives_;
    Lock& lock_;
    FolderCacheOptions options_;
    FolderIndex index_;
    PathAliases linkAliases_;        // target -> link through which the target was counted
    uint32_t untrustedDrives_ = 0;   // bit per letter: changes there cannot be placed
    uint32_t allStaleDrives_ = 0;    // bit per letter: nothing stored since it was made stale
    std::unordered_map<Path, uint64_t> settlingFolders_;  // new folder -> end of its settling
    uint64_t everythingSettlesAt_ = 0;  // when too many folders were new to remember each
    bool quietRecord_ = false;  // the record being applied is not traced
    bool renamedCachedFolder_ = false;  // the last old-name record named a cached folder
    CacheCounters counters_;
    std::optional<SubtreeHelpers> scanHelpers_;  // last: its threads stop before the rest goes
};

}  // namespace trovelle
