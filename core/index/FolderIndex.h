// The folder size tree: every folder is stored once, as its own name under its parent's node,
// and found by walking a path's components through one hash table keyed by (parent, name).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "index/NodeArena.h"
#include "index/Totals.h"
#include "system/Platform.h"

namespace trovelle {

using NodeId = NodeArena::Id;

// A folder's name as its node stores it: one byte a unit when every unit, in either case, fits
// in one (most names, and half the memory), two bytes a unit otherwise.
class NodeName {
public:
    NodeName(const void* units, size_t size, bool narrow)
        : units_(units), size_(size), narrow_(narrow) {}

    size_t size() const { return size_; }
    char16_t operator[](size_t at) const {
        return narrow_ ? static_cast<const uint8_t*>(units_)[at]
                       : static_cast<const char16_t*>(units_)[at];
    }
    Path ToPath() const;
    // Unit for unit, case included.
    friend bool operator==(const NodeName& name, std::u16string_view other);

private:
    const void* units_;
    size_t size_;
    bool narrow_;
};

// One folder of the tree. A node either holds a cached record (`cached`) or only keeps the
// place of a folder above cached ones that was never measured itself, so that every cached
// folder sits at its own place in the tree. The name follows the node in the same block.
struct FolderNode {
    ByteTotals size;       // of the files directly in the folder
    ByteTotals childSize;  // sum of the direct subfolders' totals
    // Taken from the index's one sequence at creation and at every invalidation that reaches
    // this node, so that a scan which listed the folder while a change, a reset or a removal
    // and re-creation happened can tell that its result is already out of date.
    uint64_t stamp = 0;
    NodeId self = NodeArena::kNone;
    NodeId parent = NodeArena::kNone;
    NodeId firstChild = NodeArena::kNone;   // links that make removal cost the subtree only
    NodeId nextSibling = NodeArena::kNone;
    NodeId prevSibling = NodeArena::kNone;
    NodeId chainNext = NodeArena::kNone;    // next node in the same hash bucket
    uint32_t hash = 0;                      // of (parent, folded name)
    uint16_t nameLength = 0;
    uint8_t sizeInvalid : 1;
    uint8_t childSizeInvalid : 1;
    uint8_t cached : 1;
    uint8_t narrowName : 1;  // the name is stored one byte a unit

    FolderNode() : sizeInvalid(1), childSizeInvalid(1), cached(0), narrowName(0) {}

    // The name as the folder was first met (a listing's spelling replaces a request's).
    NodeName Name() const { return {this + 1, nameLength, narrowName != 0}; }
    bool IsValid() const { return childSizeInvalid == 0 && sizeInvalid == 0; }
    ByteTotals Total() const { return AddCapped(size, childSize); }
};

// What a scan copies out of a node under the lock and later hands back to `Store`.
struct FolderRecord {
    ByteTotals size;
    ByteTotals childSize;
    uint32_t childSizeInvalid = 1;
    uint32_t sizeInvalid = 1;
    uint64_t stamp = 0;

    static FolderRecord CopyOf(const FolderNode& node) {
        return {node.size, node.childSize, node.childSizeInvalid, node.sizeInvalid, node.stamp};
    }
};

// What a walk over the cached folders sees of one of them.
struct CachedFolderView {
    std::u16string_view key;    // the folded full path, built for the walk
    const FolderNode& node;
    const FolderNode* parent;   // the folder above it when that is cached too
};

// Paths are split at backslashes ("c:\a\b" is "c:", "a", "b") and their names compared the way
// the file system compares them, so any spelling of a folder finds its node. Not thread safe:
// every call is made with the cache lock held.
class FolderIndex {
public:
    FolderIndex();
    ~FolderIndex();
    FolderIndex(const FolderIndex&) = delete;
    FolderIndex& operator=(const FolderIndex&) = delete;

    // The cached folder at `path`, or nullptr.
    FolderNode* Find(std::u16string_view path) const;
    // The node of `path`, cached from now on (a new one is stale); the folders above it that
    // have no node get one that only keeps their place. nullptr when memory runs out.
    FolderNode* FindOrCreate(std::u16string_view path);
    // The cached subfolder `name` of `parent` (in any case), created stale when missing.
    FolderNode* FindOrCreateChild(FolderNode& parent, std::u16string_view name);
    // Replaces the node's spelling of its name with `name`, which differs from it in case only
    // (a listing's spelling replaces a request's).
    void Respell(FolderNode& node, std::u16string_view name);
    // Writes the record's counts and flags into the cached folder at `path`. Does nothing when
    // the folder has left the index, and leaves it stale when it was invalidated, removed or
    // re-created since the record was copied. Returns whether the record was stored.
    bool Store(std::u16string_view path, const FolderRecord& record);
    // Destroys `node` with every folder below it, in time proportional to that subtree.
    void RemoveFolder(FolderNode& node);
    // Destroys the folder at `path`, cached or not, with every folder below it. Returns
    // whether it had a node.
    bool RemoveAt(std::u16string_view path);
    // Drops the cached record of a folder that could not be listed: the node goes, or only
    // keeps its place when cached folders lie below it.
    void Forget(FolderNode& node);
    // Marks the cached folder at `path` stale (both flags) and every folder above it stale for
    // its subfolders. Returns whether the folder was cached.
    bool InvalidateFolder(std::u16string_view path);
    void InvalidateNode(FolderNode& node);
    // Marks the deepest cached folder at or above `path` stale (and those above it): for a change
    // whose own folder is not cached but may lie below a cached one (a link, a renamed folder).
    // Returns the part of `path` naming the folder it marked, if any.
    std::optional<std::u16string_view> InvalidateDeepestAt(std::u16string_view path);
    // Marks every cached folder at or below `prefix` stale, in time proportional to them.
    void InvalidateAllUnder(std::u16string_view prefix);
    // Destroys every folder at or below `prefix`.
    void RemoveAllUnder(std::u16string_view prefix);
    void ClearIndex();

    size_t Count() const { return cachedCount_; }
    // Nodes of any kind, cached or only keeping a place: what the index costs in memory.
    size_t NodeCount() const { return nodeCount_; }
    size_t BytesReserved() const;
    // The folded full path of a node, built on demand (for traces and the dump only).
    Path KeyOf(const FolderNode& node) const;
    // Visits the subfolders of the folder at `path` (a cached one or one that only keeps a
    // place) that are cached with a valid total, in no particular order.
    void ForEachValidSubfolder(std::u16string_view path,
                               const std::function<void(const FolderNode&)>& visit) const;
    // Visits every cached folder, each after the folders above it.
    void ForEach(const std::function<void(const CachedFolderView&)>& visit) const;

private:
    FolderNode& At(NodeId id) const { return *static_cast<FolderNode*>(arena_.At(id)); }
    NodeId Lookup(NodeId parent, std::u16string_view name, uint32_t hash) const;
    NodeId FindAny(std::u16string_view path) const;
    FolderNode* Create(NodeId parent, std::u16string_view name, uint32_t hash, bool cached);
    void MakeCached(FolderNode& node);
    void Destroy(FolderNode& node);
    void Unlink(FolderNode& node);
    void RemoveKeepingPlaces(FolderNode& node);
    void RemoveDescendants(FolderNode& top);
    void PruneEmptyPlacesFrom(NodeId id);
    template <typename Visit>
    void ForEachBelow(FolderNode& top, Visit&& visit);
    void Grow();
    void ResetIndex();

    NodeArena arena_;
    std::unique_ptr<NodeId[]> buckets_;
    size_t bucketCount_ = 0;
    size_t nodeCount_ = 0;
    size_t cachedCount_ = 0;
    NodeId top_ = NodeArena::kNone;  // the unnamed node above every drive
    uint64_t sequence_ = 0;          // never restarts, not even when the index is cleared
    uint64_t shape_ = 0;             // moves whenever a node goes: remembered nodes may be gone
    // The folder above the last one found, where a walk for a sibling of it can start.
    mutable Path lastParentPath_;
    mutable NodeId lastParent_ = NodeArena::kNone;
    mutable uint64_t lastParentShape_ = 0;
};

}  // namespace trovelle
