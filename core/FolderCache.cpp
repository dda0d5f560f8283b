#include "FolderCache.h"

#include <algorithm>

#include <chrono>
#include <map>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "FolderKey.h"
#include "RequestPath.h"

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

bool IsDotOrDotDot(const std::u16string& name) { return name == u"." || name == u".."; }

Path ChildPath(const Path& folder, const std::u16string& name) {
    Path child;
    child.reserve(folder.size() + 1 + name.size());
    child.append(folder).append(1, u'\\').append(name);
    return child;
}

Path DriveOf(std::u16string_view key) { return Path(key.substr(0, 2)); }

// A subfolder still to be measured; links are checked against the descent path first.
struct Subfolder {
    std::u16string name;
    bool isLink = false;
};

// One folder on the current descent path. Frames live on the heap, so depth costs no stack.
struct Frame {
    Path path;
    FolderRecord record;
    bool cached = false;    // false: measured but not stored (detached from the index)
    bool complete = true;   // false: some folder below could not be listed or followed
    std::vector<Subfolder> subfolders;
    size_t next = 0;
    uint64_t fileSum = 0;
    uint64_t childSum = 0;
    std::optional<FolderIdentity> identity;  // filled only when a link needs comparing
    bool reachedThroughLink = false;
};

struct Measured {
    uint64_t total = 0;
    bool complete = true;
};

struct IdentityOrder {
    bool operator()(const FolderIdentity& a, const FolderIdentity& b) const {
        return std::tie(a.volume, a.file) < std::tie(b.volume, b.file);
    }
};

// Totals of folders reached through links within one scan: a folder met again through another
// link is counted again (as links are) but listed only once.
using LinkedTotals = std::map<FolderIdentity, Measured, IdentityOrder>;

// Whether descending into a folder of identity `target` would re-enter one already on the path.
bool ClosesLoop(DirectoryLister& lister, std::vector<Frame>& path, const FolderIdentity& target) {
    if (target == FolderIdentity{}) return false;
    for (Frame& frame : path) {
        if (!frame.identity) {
            FolderIdentity identity;
            frame.identity = lister.Identify(frame.path, identity) ? identity : FolderIdentity{};
        }
        if (*frame.identity == target) return true;
    }
    return false;
}

bool Lists(const Frame& frame, std::u16string_view name) {
    for (const Subfolder& sub : frame.subfolders) {
        if (sub.name == name) return true;
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

struct FolderCache::PreparedChange {
    uint32_t action = 0;
    Path key;               // the reported path, folded
    bool isFolder = false;  // for a new name: whether a folder has it when the batch is applied
};

FolderCache::FolderCache(DirectoryLister& lister, DriveTypeQuery& drives, Lock& lock,
                         FolderCacheOptions options)
    : lister_(lister),
      drives_(drives),
      lock_(lock),
      options_(options),
      linkAliases_(options.aliasCapacity) {}

uint64_t FolderCache::GetFolderSize(std::u16string_view request) {
    if (request.empty()) return 0;
    CanonicalRequest canonical = CanonicalizeRequest(request);
    if (!canonical.isDrivePath) return SumFolder(canonical.path);
    if (MayHoldShortName(canonical.path)) {
        Path longPath;
        if (lister_.ExpandShortNames(canonical.path, longPath)) {
            CanonicalRequest expanded = CanonicalizeRequest(longPath);
            if (expanded.isDrivePath) canonical = std::move(expanded);
        }
    }
    if (drives_.TypeOfRoot(canonical.path[0]) == DriveType::Fixed) return ScanFolder(canonical.path);
    return SumFolder(canonical.path);
}

uint64_t FolderCache::ScanFolder(const Path& folder) {
    {
        // A warm answer walks the index once and builds nothing.
        LockGuard guard(lock_);
        const FolderNode* node = index_.Find(folder);
        if (node != nullptr && node->IsValid()) return node->Total();
    }
    ScanScope scope(lister_);
    std::vector<Frame> stack;
    std::vector<DirectoryEntry> entries;
    LinkedTotals linkedTotals;

    // Opens `path` below the top frame (or as the requested folder). Returns the folder's total
    // when it is known without listing its subfolders; otherwise pushes a frame and returns nothing.
    auto enter = [&](Path path, const std::optional<FolderIdentity>& linkTarget)
        -> std::optional<Measured> {
        Frame frame;
        frame.path = std::move(path);
        frame.identity = linkTarget;
        frame.reachedThroughLink = linkTarget.has_value();
        const bool requested = stack.empty();
        {
            LockGuard guard(lock_);
            FolderNode* node = nullptr;
            // A folder that gets no node (no memory, a name no file system has) is still
            // measured, only not stored.
            if (requested) {
                node = index_.FindOrCreate(frame.path);
            } else if (stack.back().cached) {
                // The parent may have been removed or reset while it was listed; a child must
                // then not be linked to it, so it is measured without being stored.
                if (FolderNode* parent = index_.Find(stack.back().path)) {
                    const std::u16string_view name =
                        std::u16string_view(frame.path).substr(stack.back().path.size() + 1);
                    node = index_.FindOrCreateChild(*parent, name);
                    if (node != nullptr && node->Name() != name) {
                        // A case-sensitive file system can hold both spellings side by side:
                        // the node belongs to the one listed under its spelling, and the other
                        // is measured without one, so that neither is counted twice.
                        if (Lists(stack.back(), node->Name())) {
                            node = nullptr;
                        } else {
                            index_.Respell(*node, name);
                        }
                    }
                }
            }
            frame.cached = node != nullptr;
            if (node != nullptr) frame.record = FolderRecord::CopyOf(*node);
        }
        if (frame.record.sizeInvalid == 0 && frame.record.childSizeInvalid == 0) {
            return Measured{frame.record.size + frame.record.childSize, true};
        }
        if (!lister_.List(frame.path, entries)) {
            ++counters_.unlistableFolders;
            // Nothing is kept for a folder that cannot be listed, so a request for a missing
            // folder leaves the index as it was, and its parent's total stays provisional.
            if (frame.cached) {
                LockGuard guard(lock_);
                FolderNode* node = index_.Find(frame.path);
                if (node != nullptr && node->stamp == frame.record.stamp) {
                    // Folders above that counted it must look at it again.
                    if (requested) index_.InvalidateNode(*node);
                    index_.Forget(*node);
                }
            }
            return Measured{0, false};
        }
        ReadListing(entries, frame);
        stack.push_back(std::move(frame));
        return std::nullopt;
    };

    // Decides how a link below the top frame is counted: skipped (it leads back onto the path),
    // answered from what is known already, or entered (returns nothing, with the target's
    // identity when it is known).
    auto followLink = [&](const Path& child, std::optional<FolderIdentity>& target)
        -> std::optional<Measured> {
        Frame& top = stack.back();
        FolderIdentity identity;
        const bool identified = lister_.Identify(child, identity);
        if (identified && ClosesLoop(lister_, stack, identity)) return Measured{0, true};
        // Changes under the target are reported under the target's own path: remember where the
        // link leads, so that they also reach what was counted through the link, however it was
        // counted.
        Path targetPath;
        if (!lister_.ResolveLink(child, targetPath)) {
            top.complete = false;
        } else {
            const Path targetKey = FoldedKey(CanonicalizeRequest(targetPath).path);
            LockGuard guard(lock_);
            if (top.cached && !linkAliases_.Add(targetKey, FoldedKey(child))) top.complete = false;
            const FolderNode* cached = index_.Find(targetKey);
            if (cached != nullptr && cached->IsValid()) return Measured{cached->Total(), true};
        }
        if (identified) {
            if (auto known = linkedTotals.find(identity); known != linkedTotals.end()) {
                return known->second;
            }
            target = identity;
        }
        return std::nullopt;
    };

    if (auto measured = enter(folder, std::nullopt)) return measured->total;
    uint64_t result = 0;
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next < top.subfolders.size()) {
            const Subfolder& sub = top.subfolders[top.next++];
            Path child = ChildPath(top.path, sub.name);
            std::optional<FolderIdentity> target;
            std::optional<Measured> measured;
            if (sub.isLink) measured = followLink(child, target);
            if (!measured) measured = enter(std::move(child), target);
            if (measured) {
                Frame& parent = stack.back();
                parent.childSum += measured->total;
                parent.complete = parent.complete && measured->complete;
            }
            continue;
        }
        Measured measured{top.fileSum + top.childSum, top.complete};
        if (top.cached) {
            // A total that holds a folder which could not be listed is provisional: its folder
            // stays stale for its subfolders, so the next request lists the path to it again.
            FolderRecord stored = top.record;
            stored.size = top.fileSum;
            stored.childSize = top.childSum;
            stored.sizeInvalid = 0;
            stored.childSizeInvalid = top.complete ? 0 : 1;
            LockGuard guard(lock_);
            if (IsSettling(top.path)) {
                measured.complete = false;  // not stored: listed again until it has settled
            } else if (index_.Store(top.path, stored)) {
                allStaleDrives_ &= ~DriveBit(FoldUnit(top.path[0]));
            }
        }
        if (top.reachedThroughLink && top.identity) linkedTotals[*top.identity] = measured;
        stack.pop_back();
        if (stack.empty()) {
            result = measured.total;
        } else {
            stack.back().childSum += measured.total;
            stack.back().complete = stack.back().complete && measured.complete;
        }
    }
    return result;
}

uint64_t FolderCache::SumFolder(const Path& folder) {
    ScanScope scope(lister_);
    std::vector<Frame> stack;
    std::vector<DirectoryEntry> entries;
    LinkedTotals linkedTotals;  // as in ScanFolder: a folder met through links is listed once
    auto enter = [&](Path path, const std::optional<FolderIdentity>& linkTarget) -> bool {
        if (!lister_.List(path, entries)) return false;
        Frame frame;
        frame.path = std::move(path);
        frame.identity = linkTarget;
        frame.reachedThroughLink = linkTarget.has_value();
        ReadListing(entries, frame);  // a fresh record: files summed, every subfolder visited
        stack.push_back(std::move(frame));
        return true;
    };

    uint64_t result = 0;
    if (!enter(folder, std::nullopt)) return 0;
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next < top.subfolders.size()) {
            const Subfolder& sub = top.subfolders[top.next++];
            Path child = ChildPath(top.path, sub.name);
            std::optional<FolderIdentity> target;
            FolderIdentity identity;
            if (sub.isLink && lister_.Identify(child, identity)) {
                if (ClosesLoop(lister_, stack, identity)) continue;
                if (auto known = linkedTotals.find(identity); known != linkedTotals.end()) {
                    top.childSum += known->second.total;
                    continue;
                }
                target = identity;
            }
            enter(std::move(child), target);
            continue;
        }
        const uint64_t total = top.fileSum + top.childSum;
        if (top.reachedThroughLink && top.identity) linkedTotals[*top.identity] = Measured{total, true};
        stack.pop_back();
        if (stack.empty()) {
            result = total;
        } else {
            stack.back().childSum += total;
        }
    }
    return result;
}

void FolderCache::ApplyChanges(std::u16string_view root, const std::vector<ChangeRecord>& records) {
    ++counters_.batchesApplied;
    std::vector<PreparedChange> prepared;
    prepared.reserve(records.size());
    for (const ChangeRecord& record : records) {
        PreparedChange change;
        change.action = record.action;
        Path full(root);
        full += record.name;
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

void FolderCache::ApplyChange(uint32_t action, const Path& fullPath) {
    ApplyChanges(u"", {ChangeRecord{action, fullPath}});
}

void FolderCache::ApplyLocked(const PreparedChange& change) {
    const uint32_t action = change.action;
    if (action < kActionAdded || action > kActionRenamedNewName) return;
    const Path& key = change.key;
    const bool removes = action == kActionRemoved || action == kActionRenamedOldName;
    const char16_t letter = key.empty() ? u'\0' : key[0];
    static constexpr std::string_view kActionNames[] = {"", "added", "removed", "modified",
                                                        "renamed-from", "renamed-to"};
    quietRecord_ = options_.trace != nullptr && options_.trace->Ignores(key);
    Trace(kActionNames[action], key);

    // The reported path first, then every path it stands for through links and renames.
    std::vector<Path> paths{key};
    for (size_t at = 0; at < paths.size(); ++at) {
        const Path path = paths[at];  // a copy: appending may move the strings
        linkAliases_.AppendTranslations(path, paths);
        if (paths.size() > kMaxAliasedPaths) {
            paths.resize(1);
            MakeDriveStaleLocked(DriveOf(key), "stale-drive (links beyond count)");
            break;
        }
    }
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
    if (removes) linkAliases_.ForgetTargetsUnder(key);
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
}

void FolderCache::DropAllUnder(const Path& prefix) {
    const Path folded = FoldedKey(prefix);
    LockGuard guard(lock_);
    index_.RemoveAllUnder(folded);
    Trace("dropped-drive", folded);
    linkAliases_.ForgetTargetsUnder(folded);
    ++counters_.staleDrives;
}

void FolderCache::Reset() {
    LockGuard guard(lock_);
    index_.ClearIndex();
    linkAliases_.Clear();
}

bool FolderCache::HasNode(const Path& folder) {
    const Path path = CanonicalizeRequest(folder).path;
    LockGuard guard(lock_);
    return index_.Find(path) != nullptr;
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
