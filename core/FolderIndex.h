// The folder size tree: a flat index from folder key to node; the tree shape lives in the links.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <unordered_set>

namespace trovelle {

struct FolderNode;

struct FolderNodeDeleter {
    void operator()(FolderNode* node) const;
};
using FolderNodePtr = std::unique_ptr<FolderNode, FolderNodeDeleter>;

// One cached folder. The first five fields are the cached record; the rest is bookkeeping.
// The node and its key live in one allocation, the key right behind the node.
struct FolderNode {
    FolderNode* parent = nullptr;
    uint64_t size = 0;             // bytes of the files directly in the folder
    uint64_t childSize = 0;        // sum of the direct subfolders' totals
    uint32_t childSizeInvalid = 1;
    uint32_t sizeInvalid = 1;

    // Taken from the index's one sequence at creation and at every invalidation that reaches
    // this node, so that a scan which listed the folder while a change, a reset or a removal
    // and re-creation happened can tell that its result is already out of date.
    uint64_t stamp = 0;
    uint32_t keyLength = 0;
    FolderNode* firstChild = nullptr;   // links that make removal cost the subtree, not the index
    FolderNode* nextSibling = nullptr;
    FolderNode* prevSibling = nullptr;
    FolderNodePtr chainNext;            // next node in the same hash bucket

    std::u16string_view Key() const {
        return {reinterpret_cast<const char16_t*>(this + 1), keyLength};
    }
    bool IsValid() const { return childSizeInvalid == 0 && sizeInvalid == 0; }
    uint64_t Total() const { return size + childSize; }
};

// What a scan copies out of a node under the lock and later hands back to `Store`.
struct FolderRecord {
    FolderNode* parent = nullptr;
    uint64_t size = 0;
    uint64_t childSize = 0;
    uint32_t childSizeInvalid = 1;
    uint32_t sizeInvalid = 1;
    uint64_t stamp = 0;

    static FolderRecord CopyOf(const FolderNode& node) {
        return {node.parent, node.size, node.childSize, node.childSizeInvalid, node.sizeInvalid,
                node.stamp};
    }
};

// Not thread safe: every call is made with the cache lock held.
class FolderIndex {
public:
    FolderIndex();
    ~FolderIndex();
    FolderIndex(const FolderIndex&) = delete;
    FolderIndex& operator=(const FolderIndex&) = delete;

    FolderNode* Find(std::u16string_view key) const;
    // Returns the node for `key`, creating a stale one when missing; a given `parent` (re)links
    // the node under it. Returns nullptr when no node can be allocated.
    FolderNode* FindOrCreate(std::u16string_view key, FolderNode* parent);
    // Writes the record's counts and flags into the node of `key`. Does nothing when the key has
    // left the index, and leaves the node stale when it was invalidated, removed or re-created
    // since the record was copied. Returns whether the record was stored.
    bool Store(std::u16string_view key, const FolderRecord& record);
    // Destroys every cached folder below `node` and erases their entries; `node` stays.
    void RemoveSubtree(FolderNode& node);
    // Destroys `node` with its whole subtree and erases their entries. Entries are erased as
    // their nodes go, so the index never holds an entry without a node.
    void RemoveFolder(FolderNode& node);
    // Marks the folder stale (both flags) and every ancestor stale for its subfolders.
    // Returns whether the folder had a node.
    bool InvalidateFolder(std::u16string_view key);
    void InvalidateNode(FolderNode& node);
    // Marks the deepest cached folder at or above `key` stale (and its ancestors): for a change
    // whose own folder is not cached but may lie below a cached one (a link, a renamed folder).
    // Returns the node it marked, if any.
    const FolderNode* InvalidateDeepestAt(std::u16string_view key);
    // Marks every cached folder at or below `prefix` stale, in one pass over the index.
    void InvalidateAllUnder(std::u16string_view prefix);
    // Destroys every cached folder at or below `prefix`.
    void RemoveAllUnder(std::u16string_view prefix);
    // Destroys the folders strictly below `key` that were cached on their own (asked for before
    // any folder above them), with their subtrees: when a folder goes away they go with it,
    // though no link leads to them from its node.
    void RemoveTopsBelow(std::u16string_view key);
    void ClearIndex();

    size_t Count() const { return count_; }
    void ForEach(const std::function<void(const FolderNode&)>& visit) const;

private:
    FolderNodePtr* SlotOf(std::u16string_view key, size_t hash) const;
    size_t BucketOf(size_t hash) const { return hash & (bucketCount_ - 1); }
    void Unchain(FolderNode& node);
    void Grow();
    void ResetBuckets();
    template <typename Visit>
    void ForEachNode(Visit&& visit);

    std::unique_ptr<FolderNodePtr[]> buckets_;
    size_t bucketCount_ = 0;
    size_t count_ = 0;
    uint64_t sequence_ = 0;  // never restarts, not even when the index is cleared
    std::unordered_set<FolderNode*> tops_;  // nodes without a parent
};

}  // namespace trovelle
