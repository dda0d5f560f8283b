#include "FolderIndex.h"

#include "FolderKey.h"

#include <cstring>
#include <new>
#include <vector>

namespace trovelle {
namespace {

constexpr size_t kInitialBuckets = 64;

size_t HashKey(std::u16string_view key) {
    uint64_t hash = 1469598103934665603ull;  // FNV-1a over the code units
    for (char16_t unit : key) {
        hash ^= unit;
        hash *= 1099511628211ull;
    }
    return static_cast<size_t>(hash ^ (hash >> 29));
}

FolderNodePtr NewNode(std::u16string_view key) {
    const size_t bytes = sizeof(FolderNode) + (key.size() + 1) * sizeof(char16_t);
    void* memory = ::operator new(bytes, std::nothrow);
    if (memory == nullptr) return nullptr;
    FolderNodePtr node(new (memory) FolderNode());
    auto* text = reinterpret_cast<char16_t*>(node.get() + 1);
    std::memcpy(text, key.data(), key.size() * sizeof(char16_t));
    text[key.size()] = u'\0';
    node->keyLength = static_cast<uint32_t>(key.size());
    return node;
}

void Unlink(FolderNode& child) {
    if (child.prevSibling != nullptr) {
        child.prevSibling->nextSibling = child.nextSibling;
    } else if (child.parent != nullptr) {
        child.parent->firstChild = child.nextSibling;
    }
    if (child.nextSibling != nullptr) child.nextSibling->prevSibling = child.prevSibling;
    child.parent = child.nextSibling = child.prevSibling = nullptr;
}

}  // namespace

void FolderNodeDeleter::operator()(FolderNode* node) const {
    // Chains are short (load factor at most 1), so the recursive destruction of chainNext is shallow.
    node->~FolderNode();
    ::operator delete(node);
}

// Links `child` under `parent`.
void LinkToParent(FolderNode& child, FolderNode& parent) {
    if (child.parent == &parent) return;
    Unlink(child);
    child.parent = &parent;
    child.nextSibling = parent.firstChild;
    if (parent.firstChild != nullptr) parent.firstChild->prevSibling = &child;
    parent.firstChild = &child;
}

FolderIndex::FolderIndex() { ResetBuckets(); }

FolderIndex::~FolderIndex() { ClearIndex(); }

void FolderIndex::ResetBuckets() {
    bucketCount_ = kInitialBuckets;
    buckets_.reset(new FolderNodePtr[bucketCount_]);
    count_ = 0;
}

FolderNodePtr* FolderIndex::SlotOf(std::u16string_view key, size_t hash) const {
    FolderNodePtr* slot = &buckets_[BucketOf(hash)];
    while (*slot && (*slot)->Key() != key) slot = &(*slot)->chainNext;
    return slot;
}

FolderNode* FolderIndex::Find(std::u16string_view key) const {
    return SlotOf(key, HashKey(key))->get();
}

FolderNode* FolderIndex::FindOrCreate(std::u16string_view key, FolderNode* parent) {
    const size_t hash = HashKey(key);
    FolderNodePtr* slot = SlotOf(key, hash);
    if (!*slot) {
        FolderNodePtr created = NewNode(key);
        if (!created) return nullptr;
        created->stamp = ++sequence_;
        if (parent == nullptr) tops_.insert(created.get());
        *slot = std::move(created);
        ++count_;
    }
    FolderNode* node = slot->get();
    if (parent != nullptr) {
        if (node->parent == nullptr) tops_.erase(node);
        LinkToParent(*node, *parent);
    }
    if (count_ > bucketCount_) Grow();
    return node;
}

bool FolderIndex::Store(std::u16string_view key, const FolderRecord& record) {
    FolderNode* node = Find(key);
    if (node == nullptr || node->stamp != record.stamp) return false;
    node->size = record.size;
    node->childSize = record.childSize;
    node->childSizeInvalid = record.childSizeInvalid;
    node->sizeInvalid = record.sizeInvalid;
    return true;
}

void FolderIndex::Unchain(FolderNode& node) {
    FolderNodePtr* slot = SlotOf(node.Key(), HashKey(node.Key()));
    FolderNodePtr doomed = std::move(*slot);
    *slot = std::move(doomed->chainNext);
    --count_;
}

void FolderIndex::RemoveSubtree(FolderNode& node) {
    std::vector<FolderNode*> pending;
    for (FolderNode* child = node.firstChild; child != nullptr; child = child->nextSibling) {
        pending.push_back(child);
    }
    node.firstChild = nullptr;
    while (!pending.empty()) {
        FolderNode* doomed = pending.back();
        pending.pop_back();
        for (FolderNode* child = doomed->firstChild; child != nullptr; child = child->nextSibling) {
            pending.push_back(child);
        }
        Unchain(*doomed);
    }
}

void FolderIndex::RemoveFolder(FolderNode& node) {
    RemoveSubtree(node);
    if (node.parent == nullptr) tops_.erase(&node);
    Unlink(node);
    Unchain(node);
}

void FolderIndex::RemoveTopsBelow(std::u16string_view key) {
    std::vector<FolderNode*> below;
    for (FolderNode* top : tops_) {
        if (top->Key().size() > key.size() && IsAtOrBelow(top->Key(), key)) below.push_back(top);
    }
    // Tops are never linked below each other, so removing one leaves the others in place.
    for (FolderNode* top : below) RemoveFolder(*top);
}

bool FolderIndex::InvalidateFolder(std::u16string_view key) {
    FolderNode* node = Find(key);
    if (node != nullptr) InvalidateNode(*node);
    return node != nullptr;
}

void FolderIndex::InvalidateNode(FolderNode& node) {
    node.sizeInvalid = 1;
    node.childSizeInvalid = 1;
    node.stamp = ++sequence_;
    for (FolderNode* above = node.parent; above != nullptr; above = above->parent) {
        above->childSizeInvalid = 1;
        above->stamp = ++sequence_;
    }
}

const FolderNode* FolderIndex::InvalidateDeepestAt(std::u16string_view key) {
    for (;;) {
        if (FolderNode* node = Find(key)) {
            InvalidateNode(*node);
            return node;
        }
        const std::u16string_view up = ContainingFolder(key);
        if (up.size() == key.size()) return nullptr;
        key = up;
    }
}

void FolderIndex::InvalidateAllUnder(std::u16string_view prefix) {
    // Every node at or below the prefix gets both flags; its ancestors above the prefix are
    // reached through the topmost ones.
    std::vector<FolderNode*> tops;
    ForEachNode([&](FolderNode& node) {
        if (!IsAtOrBelow(node.Key(), prefix)) return;
        node.sizeInvalid = node.childSizeInvalid = 1;
        node.stamp = ++sequence_;
        if (node.parent == nullptr || !IsAtOrBelow(node.parent->Key(), prefix)) tops.push_back(&node);
    });
    for (FolderNode* top : tops) InvalidateNode(*top);
}

void FolderIndex::RemoveAllUnder(std::u16string_view prefix) {
    std::vector<FolderNode*> tops;
    ForEachNode([&](FolderNode& node) {
        if (!IsAtOrBelow(node.Key(), prefix)) return;
        if (node.parent == nullptr || !IsAtOrBelow(node.parent->Key(), prefix)) tops.push_back(&node);
    });
    for (FolderNode* top : tops) {
        if (FolderNode* above = top->parent) InvalidateNode(*above);
        RemoveFolder(*top);
    }
}

void FolderIndex::ClearIndex() {
    // Chains are destroyed bucket by bucket; children links only point inside the index.
    tops_.clear();
    buckets_.reset();
    ResetBuckets();
}

void FolderIndex::Grow() {
    const size_t newCount = bucketCount_ * 2;
    std::unique_ptr<FolderNodePtr[]> grown(new (std::nothrow) FolderNodePtr[newCount]);
    if (!grown) return;  // a longer chain is slower, never wrong
    for (size_t bucket = 0; bucket < bucketCount_; ++bucket) {
        while (buckets_[bucket]) {
            FolderNodePtr node = std::move(buckets_[bucket]);
            buckets_[bucket] = std::move(node->chainNext);
            FolderNodePtr& head = grown[HashKey(node->Key()) & (newCount - 1)];
            node->chainNext = std::move(head);
            head = std::move(node);
        }
    }
    buckets_ = std::move(grown);
    bucketCount_ = newCount;
}

template <typename Visit>
void FolderIndex::ForEachNode(Visit&& visit) {
    for (size_t bucket = 0; bucket < bucketCount_; ++bucket) {
        for (FolderNode* node = buckets_[bucket].get(); node != nullptr;
             node = node->chainNext.get()) {
            visit(*node);
        }
    }
}

void FolderIndex::ForEach(const std::function<void(const FolderNode&)>& visit) const {
    for (size_t bucket = 0; bucket < bucketCount_; ++bucket) {
        for (const FolderNode* node = buckets_[bucket].get(); node != nullptr;
             node = node->chainNext.get()) {
            visit(*node);
        }
    }
}

}  // namespace trovelle
