#include "cache/FolderCache.h"

#include <algorithm>

#include <chrono>
#include <map>
#include <optional>
#include <string_view>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "cache/RequestPath.h"
#include "index/FolderKey.h"
#include "walk/FolderWalk.h"

namespace trovelle {
namespace {

// A change that reaches more places than this through aliases is treated as unknown: its drive
// is made stale instead, which bounds the work one record can cause.
constexpr size_t kMaxAliasedPaths = 64;
// New folders remembered one by one while they settle; beyond this, all folders settle at once.
constexpr size_t kMaxSettlingFolders = 20000;

uint64_t SteadyMilliseconds() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

Path DriveOf(std::u16string_view key) { return Path(key.substr(0, 2)); }

// The length of the part of `path` above its first name that may be short.
size_t BeforeFirstShortName(std::u16string_view path) {
    size_t kept = 0;
    for (size_t start = 0; start < path.size();) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos) end = path.size();
        if (LooksLikeShortName(path.substr(start, end - start))) break;
        kept = end;
        start = end + 1;
    }
    return kept;
}

}  // namespace

struct FolderCache::PreparedChange {
    uint32_t action = 0;
    Path key;               // the reported path, folded
    bool isFolder = false;  // for a new name: whether a folder has it when the batch is applied
    // false: the record named something by a short name that is gone; `key` is then the
    // folder that held it, changed in ways unknown.
    bool placed = true;
};

FolderCache::FolderCache(DirectoryLister& lister, DriveTypeQuery& drives, Lock& lock,
                         FolderCacheOptions options)
    : lister_(lister),
      drives_(drives),
      lock_(lock),
      options_(options),
      linkAliases_(options.aliasCapacity) {
    const unsigned threads = options.scanThreads != 0
                                 ? options.scanThreads
                                 : std::max(1u, std::thread::hardware_concurrency());
    if (threads > 1) scanHelpers_.emplace(lister, threads - 1);
}

// Keeps the folders a scan measures in the tree: copies what is known of each before it is
// listed, stores each total unless the folder changed meanwhile, and records where links lead.
class FolderCache::TreeKeeper final : public WalkKeeper {
public:
    explicit TreeKeeper(FolderCache& cache) : cache_(cache) {}

    void Open(WalkFrame& frame, const WalkFrame* parent, bool mayKeep) override {
        if (!mayKeep || (parent != nullptr && !parent->kept)) return;
        LockGuard guard(cache_.lock_);
        FolderIndex& index = cache_.index_;
        FolderNode* node = nullptr;
        // A folder that gets no node (no memory, a name no file system has) is still measured,
        // only not stored.
        if (parent == nullptr) {
            requestedWasCached_ = index.Find(frame.path) != nullptr;
            node = index.FindOrCreate(frame.path);
        } else if (FolderNode* above = index.Find(parent->path)) {
            // The parent may have been removed or reset while it was listed; a child must then
            // not be linked to it, so it is measured without being stored.
            const std::u16string_view name = std::u16string_view(frame.path).substr(parent->path.size() + 1);
            node = index.FindOrCreateChild(*above, name);
            if (node != nullptr && node->Name() != name) {
                // A case-sensitive file system can hold both spellings side by side: the node
                // belongs to the one listed under its spelling, and the other is measured
                // without one, so that neither is counted twice.
                if (Lists(*parent, node->Name().ToPath())) {
                    node = nullptr;
                } else {
                    index.Respell(*node, name);
                }
            }
        }
        frame.kept = node != nullptr;
        if (node != nullptr) frame.record = FolderRecord::CopyOf(*node);
    }

    void Unlisted(const WalkFrame& frame, bool requested) override {
        ++cache_.counters_.unlistableFolders;
        if (!frame.kept) return;
        // Nothing is kept for a folder that cannot be listed, and its parent's total stays
        // provisional. Folders above a requested one look at it again only if they could have
        // counted it: asking for a folder that does not exist leaves them as they were.
        LockGuard guard(cache_.lock_);
        FolderNode* node = cache_.index_.Find(frame.path);
        if (node == nullptr || node->stamp != frame.record.stamp) return;
        if (requested && requestedWasCached_) cache_.index_.InvalidateNode(*node);
        cache_.index_.Forget(*node);
    }

    LinkPlan PlanLink(WalkFrame& parent, const Path& link) override {
        // Changes under the target are reported under the target's own path: remember where the
        // link leads, so that they also reach what was counted through it. A target no change
        // can reach (another drive type, a volume without a letter, a full table) is measured
        // but never kept, and leaves the folders above it provisional.
        Path targetPath;
        std::optional<Path> targetKey;
        if (cache_.lister_.ResolveLink(link, targetPath)) targetKey = cache_.KeptKeyOf(targetPath);
        if (!targetKey || (parent.kept && !cache_.RememberLink(*targetKey, link))) {
            parent.complete = false;
            return {};
        }
        {
            LockGuard guard(cache_.lock_);
            const FolderNode* cached = cache_.index_.Find(*targetKey);
            if (cached != nullptr && cached->IsValid()) return {Measured{cached->Total(), true}, true};
        }
        // The walk enters the target through the link: the folders above the target need the
        // same opening as those above a requested folder, or Wine never reports its changes.
        if (cache_.options_.beforeFirstScan) {
            cache_.options_.beforeFirstScan(CanonicalizeRequest(targetPath).path);
        }
        return {std::nullopt, true};
    }

    void SameFolder(WalkFrame& parent, const Path& measuredAt, const Path& link) override {
        // Below `measuredAt` the walk recorded where its own links lead; chained through this
        // alias, their changes reach `link` as well.
        if (parent.kept && !cache_.RememberLink(FoldedKey(measuredAt), link)) parent.complete = false;
    }

    void Close(const WalkFrame& frame, Measured& measured) override {
        // A total that holds a folder which could not be listed is provisional: its folder stays
        // stale for its subfolders, so the next request lists the path to it again.
        FolderRecord stored = frame.record;
        stored.size = frame.fileSum;
        stored.childSize = frame.childSum;
        stored.sizeInvalid = 0;
        stored.childSizeInvalid = measured.complete ? 0 : 1;
        LockGuard guard(cache_.lock_);
        if (cache_.IsSettling(frame.path)) {
            measured.complete = false;  // not stored: listed again until it has settled
        } else if (cache_.index_.Store(frame.path, stored)) {
            cache_.allStaleDrives_ &= ~DriveBit(FoldUnit(frame.path[0]));
        }
    }

private:
    static bool Lists(const WalkFrame& frame, std::u16string_view name) {
        for (const Subfolder& sub : frame.subfolders) {
            if (sub.name == name) return true;
        }
        return false;
    }

    FolderCache& cache_;
    bool requestedWasCached_ = false;
};

FolderSizes FolderCache::GetFolderSizes(std::u16string_view request) {
    // Nothing longer can name a folder; refusing it first keeps a hostile request cheap.
    if (request.empty() || request.size() > kLongestPath) return {};
    return GetFolderSizes(CanonicalizeRequest(request));
}

FolderSizes FolderCache::GetFolderSizes(CanonicalRequest canonical) {
    if (canonical.path.empty() || canonical.path.size() > kLongestPath) return {};
    return AnswerFor(MeasureRequest(canonical), lister_, canonical.path);
}

Measured FolderCache::MeasureRequest(CanonicalRequest& canonical) {
    const Path& folder = canonical.path;
    if (GoesThroughTree(canonical)) {
        const Lookup known = Look(folder);
        if (known.total) return {*known.total, true};
        if (!known.hasNode && options_.beforeFirstScan) options_.beforeFirstScan(folder);
        if (KeepsThroughItsLinks(folder)) return ScanCold(folder);
    }
    return WalkFolder(lister_, folder, nullptr);  // a plain sum, nothing kept
}

std::vector<KnownSubfolder> FolderCache::KnownSubfolders(CanonicalRequest parent) {
    std::vector<KnownSubfolder> known;
    if (parent.path.empty() || parent.path.size() > kLongestPath) return known;
    if (!GoesThroughTree(parent)) return known;
    LockGuard guard(lock_);
    index_.ForEachValidSubfolder(parent.path, [&](const FolderNode& node) {
        known.push_back({node.Name().ToPath(), node.Total()});
    });
    return known;
}

bool FolderCache::GoesThroughTree(CanonicalRequest& canonical) {
    if (!canonical.isDrivePath) return false;
    if (MayHoldShortName(canonical.path)) {
        Path longPath;
        if (lister_.ExpandShortNames(canonical.path, longPath)) {
            CanonicalRequest expanded = CanonicalizeRequest(longPath);
            if (expanded.isDrivePath) canonical = std::move(expanded);
        }
    }
    return drives_.TypeOfRoot(canonical.path[0]) == DriveType::Fixed;
}

FolderCache::Lookup FolderCache::Look(const Path& folder) {
    LockGuard guard(lock_);
    const FolderNode* node = index_.Find(folder);
    if (node == nullptr) return {};
    return {node->IsValid() ? std::optional<ByteTotals>(node->Total()) : std::nullopt, true};
}

bool FolderCache::KeepsThroughItsLinks(const Path& folder) {
    // A folder asked for through a link on its own path has its changes reported under the
    // link's target: they reach it only through an alias. When its final path cannot be told
    // (a root, a folder that is not there) it is taken as it was asked for.
    Path finalPath;
    if (folder.size() <= 2 || !lister_.ResolveLink(folder, finalPath)) return true;
    const std::optional<Path> targetKey = KeptKeyOf(finalPath);
    return targetKey && RememberLink(*targetKey, folder);
}

std::optional<Path> FolderCache::KeptKeyOf(const Path& targetPath) {
    const CanonicalRequest target = CanonicalizeRequest(targetPath);
    if (!target.isDrivePath || drives_.TypeOfRoot(target.path[0]) != DriveType::Fixed) {
        return std::nullopt;
    }
    return FoldedKey(target.path);
}

bool FolderCache::RememberLink(const Path& targetKey, const Path& link) {
    const Path linkKey = FoldedKey(link);
    if (targetKey == linkKey) return true;
    LockGuard guard(lock_);
    return linkAliases_.Add(targetKey, linkKey);
}

ByteTotals FolderCache::ScanFolder(const Path& folder) {
    if (const std::optional<ByteTotals> warm = Look(folder).total) return *warm;
    return ScanCold(folder).total;
}

Measured FolderCache::ScanCold(const Path& folder) {
    TreeKeeper keeper(*this);
    return WalkFolder(lister_, folder, &keeper, scanHelpers_ ? &*scanHelpers_ : nullptr);
}

ByteTotals FolderCache::SumFolder(const Path& folder) { return SumFolderTree(lister_, folder).totals; }

void FolderCache::ApplyChanges(std::u16string_view root, const std::vector<ChangeRecord>& records) {
    ++counters_.batchesApplied;
    std::vector<PreparedChange> prepared;
    prepared.reserve(records.size());
    for (const ChangeRecord& record : records) {
        PreparedChange change;
        change.action = record.action;
        Path full(root);
        full += record.name;
        change.placed = PlaceShortNames(full, TakesItemAway(record.action));
        // Asked before the lock is taken: only a renamed folder makes Wine misreport.
        if (options_.distrustDriveAfterFolderRename && record.action == kActionRenamedNewName) {
            change.isFolder = lister_.IsFolder(full);
        }
        change.key = FoldedKey(full);
        prepared.push_back(std::move(change));
    }
    // The lock is taken for a bounded number of records at a time, so that a client's request
    // waits for a few records, not for a whole batch (up to thousands of removals of subtrees).
    // Records still apply in order; a scan between two runs stores nothing the later records
    // would not make stale again.
    for (size_t begin = 0; begin < prepared.size(); begin += kRecordsPerLock) {
        const size_t end = std::min(prepared.size(), begin + kRecordsPerLock);
        LockGuard guard(lock_);
        for (size_t at = begin; at < end; ++at) ApplyLocked(prepared[at]);
        if (end == prepared.size() && (untrustedDrives_ & DriveBit(prepared.front().key[0])) != 0) {
            MakeDriveStaleLocked(DriveOf(prepared.front().key), "stale-drive (after a folder rename)");
        }
    }
}

bool FolderCache::PlaceShortNames(Path& full, bool gone) {
    // The system may report a name in its short form, which the index never holds. It is
    // expanded while the item is there; an item that is gone leaves only its folder to expand,
    // and when its own name was short, which of the folder's items it was is unknown. (Its
    // short name may already belong to another item, such as the one it was renamed to.)
    if (!MayHoldShortName(full)) return true;
    Path expanded;
    if (!gone && lister_.ExpandShortNames(full, expanded)) {
        full = std::move(expanded);
        return true;
    }
    const size_t cut = full.rfind(u'\\');
    if (cut != Path::npos) {
        const Path name = full.substr(cut);  // with its separator
        const bool nameIsShort = LooksLikeShortName(std::u16string_view(name).substr(1));
        Path folder = full.substr(0, cut);
        bool folderKnown = true;
        if (MayHoldShortName(folder)) {
            folderKnown = lister_.ExpandShortNames(folder, expanded);
            if (folderKnown) folder = std::move(expanded);
        }
        if (folderKnown) {
            full = nameIsShort ? std::move(folder) : folder + name;
            return !nameIsShort;
        }
    }
    // Even its folder is gone: all that is known is the folder above the first short name.
    full.resize(BeforeFirstShortName(full));
    return false;
}

void FolderCache::ApplyChange(uint32_t action, const Path& fullPath) {
    ApplyChanges(u"", {ChangeRecord{action, fullPath}});
}

void FolderCache::ApplyLocked(const PreparedChange& change) {
    const uint32_t action = change.action;
    if (action < kActionAdded || action > kActionRenamedNewName) return;
    const Path& key = change.key;
    const bool removes = TakesItemAway(action);
    const char16_t letter = key.empty() ? u'\0' : key[0];
    static constexpr std::string_view kActionNames[] = {"", "added", "removed", "modified",
                                                        "renamed-from", "renamed-to"};
    quietRecord_ = options_.trace != nullptr && options_.trace->Ignores(key);
    Trace(kActionNames[action], key);

    if (!change.placed) {
        MakeStaleAtOrBelowLocked(key, true);
        return;
    }
    // The reported path first, then every path it stands for through links; an item that goes
    // takes along every link whose target lay below it.
    std::vector<Path> paths{key};
    CollectAliasedPathsLocked(paths, removes);
    if (action == kActionRenamedOldName) renamedCachedFolder_ = index_.Find(key) != nullptr;
    for (size_t at = 0; at < paths.size(); ++at) {
        if (removes && index_.RemoveAt(paths[at])) Trace("  removed", paths[at]);
        // Where an alias leads, the folder itself may have no node (a link counted without
        // one, a folder below a link): the nearest cached folder above it is made stale.
        const std::u16string_view folder = ContainingFolder(paths[at]);
        if (at == 0) {
            if (index_.InvalidateFolder(folder)) Trace("  invalidated", folder);
        } else if (const auto hit = index_.InvalidateDeepestAt(folder)) {
            Trace("  invalidated (alias)", *hit);
        }
    }

    if (action == kActionAdded || action == kActionRenamedNewName) {
        for (const Path& path : paths) {
            // A scan that raced the folder's creation may already have stored it.
            if (index_.InvalidateFolder(path)) Trace("  invalidated (new)", path);
            if (options_.newFolderSettleMs != 0) NoteNewFolder(path);
        }
    }

    // A link that is gone, or renamed away, no longer leads anywhere.
    if (removes) {
        for (const Path& path : paths) linkAliases_.ForgetTargetsUnder(path);
    }
    // A folder is known by its node when it was cached, else by what the new name is now (a
    // folder renamed on at once is judged by its later record).
    const bool folderRenamed = action == kActionRenamedNewName &&
                               (change.isFolder || std::exchange(renamedCachedFolder_, false));
    if (folderRenamed && options_.distrustDriveAfterFolderRename &&
        (untrustedDrives_ & DriveBit(letter)) == 0) {
        untrustedDrives_ |= DriveBit(letter);
        Trace("  distrusted drive (a folder was renamed)", DriveOf(key));
    }
}

void FolderCache::CollectAliasedPathsLocked(std::vector<Path>& paths, bool removes) {
    for (size_t at = 0; at < paths.size(); ++at) {
        const Path path = paths[at];  // a copy: appending may move the strings
        linkAliases_.AppendTranslations(path, paths);
        if (removes) linkAliases_.AppendLinksAtOrBelow(path, paths, true);
        if (paths.size() > kMaxAliasedPaths) {
            // Every drive the change reaches is made stale instead, and only the reported path
            // is applied: that bounds what one record can cost.
            for (const Path& reached : paths) {
                MakeDriveStaleLocked(DriveOf(reached), "stale-drive (links beyond count)");
            }
            paths.resize(1);
            return;
        }
    }
}

void FolderCache::MakeStaleAtOrBelowLocked(const Path& folder, bool folderItself) {
    std::vector<Path> paths{folder};
    linkAliases_.AppendLinksAtOrBelow(folder, paths, false);
    if (!folderItself) paths.erase(paths.begin());
    CollectAliasedPathsLocked(paths, false);
    for (const Path& path : paths) {
        index_.InvalidateAllUnder(path);
        if (const auto hit = index_.InvalidateDeepestAt(path)) Trace("  invalidated (unknown name)", *hit);
    }
}

uint32_t FolderCache::DriveBit(char16_t letter) {
    return (letter >= u'a' && letter <= u'z') ? 1u << (letter - u'a') : 0;
}

void FolderCache::MakeDriveStaleLocked(std::u16string_view drive, std::string_view why) {
    ++counters_.staleDrives;
    // Nothing was stored on the drive since it was last made stale: the pass would change nothing.
    const uint32_t bit = drive.size() == 2 ? DriveBit(drive[0]) : 0;
    if (bit != 0 && (allStaleDrives_ & bit) != 0) return;
    index_.InvalidateAllUnder(drive);
    allStaleDrives_ |= bit;
    Trace(why, drive);
}

uint64_t FolderCache::Now() const {
    return options_.clock != nullptr ? options_.clock() : SteadyMilliseconds();
}

void FolderCache::NoteNewFolder(const Path& key) {
    // Files and folders alike: which one a new name is does not matter for the few seconds
    // the entry lives, and asking would cost a system call per record.
    const uint64_t now = Now();
    if (settlingFolders_.size() >= kMaxSettlingFolders) {
        std::erase_if(settlingFolders_, [now](const auto& entry) { return entry.second <= now; });
        if (settlingFolders_.size() >= kMaxSettlingFolders) {
            settlingFolders_.clear();
            everythingSettlesAt_ = now + options_.newFolderSettleMs;
            return;
        }
    }
    settlingFolders_[key] = now + options_.newFolderSettleMs;
}

bool FolderCache::IsSettling(std::u16string_view path) {
    if (options_.newFolderSettleMs == 0) return false;
    const uint64_t now = Now();
    if (now < everythingSettlesAt_) return true;
    if (settlingFolders_.empty()) return false;
    const Path key = FoldedKey(path);
    for (std::u16string_view folder = key;;) {
        const auto found = settlingFolders_.find(Path(folder));
        if (found != settlingFolders_.end()) {
            if (now < found->second) return true;
            settlingFolders_.erase(found);
        }
        const std::u16string_view up = ContainingFolder(folder);
        if (up.size() == folder.size()) return false;
        folder = up;
    }
}

void FolderCache::InvalidateAllUnder(const Path& prefix) {
    const Path folded = FoldedKey(prefix);
    LockGuard guard(lock_);
    MakeDriveStaleLocked(folded, "stale-drive");
    // Folders elsewhere that count a folder here through a link lost the changes too.
    MakeStaleAtOrBelowLocked(folded, false);
}

void FolderCache::DropAllUnder(const Path& prefix) {
    const Path folded = FoldedKey(prefix);
    LockGuard guard(lock_);
    index_.RemoveAllUnder(folded);
    Trace("dropped-drive", folded);
    // What counts a folder here through a link is no longer kept current either.
    MakeStaleAtOrBelowLocked(folded, false);
    linkAliases_.ForgetTargetsUnder(folded);
    ++counters_.staleDrives;
}

void FolderCache::Reset() {
    LockGuard guard(lock_);
    index_.ClearIndex();
    linkAliases_.Clear();
}

size_t FolderCache::CachedFolderCount() {
    LockGuard guard(lock_);
    return index_.Count();
}

size_t FolderCache::IndexNodeCount() {
    LockGuard guard(lock_);
    return index_.NodeCount();
}

void FolderCache::VisitLocked(const std::function<void(const CachedFolderView&)>& visit) {
    LockGuard guard(lock_);
    index_.ForEach(visit);
}

}  // namespace trovelle
