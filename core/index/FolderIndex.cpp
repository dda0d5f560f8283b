#include "index/FolderIndex.h"

#include <cstring>
#include <new>

#include "index/FolderKey.h"
#include "index/PathNames.h"

namespace trovelle {
namespace {

constexpr size_t kInitialBuckets = 64;
// Longer names are not folders of any file system the cache serves; a request holding one is
// answered without a node.
constexpr size_t kMaxNameLength = 32767;

static_assert(sizeof(FolderNode) == 72, "the name follows the node; keep the node compact");

// Whether every unit of the name, and its other case, fits in one byte. The micro sign and
// y with diaeresis are the two Latin-1 letters whose upper case lies beyond it.
bool FitsNarrow(std::u16string_view name) {
    for (const char16_t unit : name) {
        if (unit > 0xFF || unit == 0xB5 || unit == 0xFF) return false;
    }
    return true;
}

size_t BlockBytes(size_t nameLength, bool narrow) {
    return sizeof(FolderNode) + nameLength * (narrow ? 1 : sizeof(char16_t));
}

size_t BlockBytes(const FolderNode& node) {
    return BlockBytes(node.nameLength, node.narrowName != 0);
}

// Writes `name` after the node in the node's form; a respelling keeps the form, since a name
// that fits in one byte a unit fits in every case.
void WriteName(FolderNode& node, std::u16string_view name) {
    if (node.narrowName) {
        auto* units = reinterpret_cast<uint8_t*>(&node + 1);
        for (size_t at = 0; at < name.size(); ++at) units[at] = static_cast<uint8_t>(name[at]);
    } else {
        std::memcpy(reinterpret_cast<char16_t*>(&node + 1), name.data(),
                    name.size() * sizeof(char16_t));
    }
}

// Whether a stored name and `name` are one folder's (equal once folded).
bool SameName(const NodeName& stored, std::u16string_view name) {
    if (stored.size() != name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char16_t unit = stored[i];
        if (unit != name[i] && FoldUnit(unit) != FoldUnit(name[i])) return false;
    }
    return true;
}

}  // namespace

Path NodeName::ToPath() const {
    Path path(size_, u'\0');
    for (size_t at = 0; at < size_; ++at) path[at] = (*this)[at];
    return path;
}

bool operator==(const NodeName& name, std::u16string_view other) {
    if (name.size() != other.size()) return false;
    for (size_t at = 0; at < other.size(); ++at) {
        if (name[at] != other[at]) return false;
    }
    return true;
}

FolderIndex::FolderIndex() { ResetIndex(); }

FolderIndex::~FolderIndex() = default;

void FolderIndex::ResetIndex() {
    arena_.Clear();
    bucketCount_ = kInitialBuckets;
    buckets_.reset(new NodeId[bucketCount_]());
    nodeCount_ = cachedCount_ = 0;
    // The top holds no name and sits in no bucket: nothing can find it by a path.
    top_ = arena_.Allocate(BlockBytes(0, false));
    if (top_ != NodeArena::kNone) new (&At(top_)) FolderNode();
    if (top_ != NodeArena::kNone) At(top_).self = top_;
}

NodeId FolderIndex::Lookup(NodeId parent, std::u16string_view name, uint32_t hash) const {
    for (NodeId id = buckets_[hash & (bucketCount_ - 1)]; id != NodeArena::kNone;) {
        const FolderNode& node = At(id);
        if (node.hash == hash && node.parent == parent && SameName(node.Name(), name)) return id;
        id = node.chainNext;
    }
    return NodeArena::kNone;
}

NodeId FolderIndex::FindAny(std::u16string_view path) const {
    // Explorer asks for the folders of one folder in a row: a path that begins with the folder
    // above the last one found is walked from there.
    NodeId id = top_;
    std::u16string_view rest = path;
    const size_t memoLength = lastParentPath_.size();
    if (lastParent_ != NodeArena::kNone && lastParentShape_ == shape_ &&
        path.size() > memoLength && path[memoLength] == u'\\' &&
        path.substr(0, memoLength) == lastParentPath_) {
        id = lastParent_;
        rest = path.substr(memoLength + 1);
    }
    PathNameWalk walk(rest);
    std::u16string_view name;
    uint32_t hash = 0;
    NodeId parent = NodeArena::kNone;
    while (id != NodeArena::kNone && walk.Next(id, name, hash)) {
        parent = id;
        id = Lookup(id, name, hash);
    }
    if (parent == NodeArena::kNone) return NodeArena::kNone;  // no name at all
    if (id != NodeArena::kNone && parent != top_ && parent != lastParent_) {
        lastParentPath_.assign(path.substr(0, path.size() - name.size() - 1));
        lastParent_ = parent;
        lastParentShape_ = shape_;
    }
    return id;
}

void FolderIndex::ForEachValidSubfolder(std::u16string_view path,
                                        const std::function<void(const FolderNode&)>& visit) const {
    const NodeId id = FindAny(path);
    if (id == NodeArena::kNone) return;
    for (NodeId child = At(id).firstChild; child != NodeArena::kNone;
         child = At(child).nextSibling) {
        const FolderNode& node = At(child);
        if (node.cached && node.IsValid()) visit(node);
    }
}

FolderNode* FolderIndex::Find(std::u16string_view path) const {
    const NodeId id = FindAny(path);
    if (id == NodeArena::kNone || !At(id).cached) return nullptr;
    return &At(id);
}

FolderNode* FolderIndex::Create(NodeId parentId, std::u16string_view name, uint32_t hash,
                                bool cached) {
    if (name.size() > kMaxNameLength) return nullptr;
    const bool narrow = FitsNarrow(name);
    const NodeId id = arena_.Allocate(BlockBytes(name.size(), narrow));
    if (id == NodeArena::kNone) return nullptr;
    FolderNode& node = *new (&At(id)) FolderNode();
    node.narrowName = narrow ? 1 : 0;
    WriteName(node, name);
    node.nameLength = static_cast<uint16_t>(name.size());
    node.self = id;
    node.hash = hash;
    node.stamp = ++sequence_;
    node.cached = cached ? 1 : 0;
    FolderNode& parent = At(parentId);
    node.parent = parentId;
    node.nextSibling = parent.firstChild;
    if (parent.firstChild != NodeArena::kNone) At(parent.firstChild).prevSibling = id;
    parent.firstChild = id;
    NodeId& bucket = buckets_[hash & (bucketCount_ - 1)];
    node.chainNext = bucket;
    bucket = id;
    ++nodeCount_;
    if (cached) ++cachedCount_;
    if (nodeCount_ > bucketCount_) Grow();
    return &node;
}

void FolderIndex::MakeCached(FolderNode& node) {
    if (node.cached) return;
    node.cached = 1;
    node.sizeInvalid = node.childSizeInvalid = 1;
    node.stamp = ++sequence_;
    ++cachedCount_;
}

FolderNode* FolderIndex::FindOrCreate(std::u16string_view path) {
    if (top_ == NodeArena::kNone) return nullptr;
    NodeId id = top_;
    NodeId firstCreated = NodeArena::kNone;
    PathNameWalk walk(path);
    std::u16string_view name;
    uint32_t hash = 0;
    bool any = false;
    while (walk.Next(id, name, hash)) {
        any = true;
        NodeId found = Lookup(id, name, hash);
        if (found == NodeArena::kNone) {
            FolderNode* created = Create(id, name, hash, false);
            if (created == nullptr) {
                // Nothing half made is left behind: the places made for this path go again.
                if (firstCreated != NodeArena::kNone) RemoveFolder(At(firstCreated));
                return nullptr;
            }
            found = created->self;
            if (firstCreated == NodeArena::kNone) firstCreated = found;
        }
        id = found;
    }
    if (!any) return nullptr;
    FolderNode& node = At(id);
    MakeCached(node);
    return &node;
}

FolderNode* FolderIndex::FindOrCreateChild(FolderNode& parent, std::u16string_view name) {
    const uint32_t hash = HashName(parent.self, name);
    const NodeId found = Lookup(parent.self, name, hash);
    if (found == NodeArena::kNone) return Create(parent.self, name, hash, true);
    FolderNode& node = At(found);
    MakeCached(node);
    return &node;
}

void FolderIndex::Respell(FolderNode& node, std::u16string_view name) {
    if (!SameName(node.Name(), name)) return;
    WriteName(node, name);
}

bool FolderIndex::Store(std::u16string_view path, const FolderRecord& record) {
    FolderNode* node = Find(path);
    if (node == nullptr || node->stamp != record.stamp) return false;
    node->size = record.size;
    node->childSize = record.childSize;
    node->childSizeInvalid = record.childSizeInvalid != 0;
    node->sizeInvalid = record.sizeInvalid != 0;
    return true;
}

void FolderIndex::Unlink(FolderNode& node) {
    if (node.prevSibling != NodeArena::kNone) {
        At(node.prevSibling).nextSibling = node.nextSibling;
    } else {
        At(node.parent).firstChild = node.nextSibling;
    }
    if (node.nextSibling != NodeArena::kNone) At(node.nextSibling).prevSibling = node.prevSibling;
    node.nextSibling = node.prevSibling = NodeArena::kNone;
}

void FolderIndex::Destroy(FolderNode& node) {
    NodeId* slot = &buckets_[node.hash & (bucketCount_ - 1)];
    while (*slot != node.self) slot = &At(*slot).chainNext;
    *slot = node.chainNext;
    --nodeCount_;
    if (node.cached) --cachedCount_;
    ++shape_;
    const NodeId id = node.self;
    const size_t bytes = BlockBytes(node);
    node.~FolderNode();
    arena_.Free(id, bytes);
}

void FolderIndex::RemoveDescendants(FolderNode& top) {
    // Always takes the first child of the deepest node reached: no stack, each node seen once.
    FolderNode* node = &top;
    for (;;) {
        if (node->firstChild != NodeArena::kNone) {
            node = &At(node->firstChild);
            continue;
        }
        if (node == &top) return;
        FolderNode& up = At(node->parent);
        up.firstChild = node->nextSibling;
        if (node->nextSibling != NodeArena::kNone) At(node->nextSibling).prevSibling = NodeArena::kNone;
        Destroy(*node);
        node = &up;
    }
}

void FolderIndex::PruneEmptyPlacesFrom(NodeId id) {
    // A place kept for nothing below it goes, and so may the places above it.
    while (id != top_) {
        FolderNode& node = At(id);
        if (node.cached || node.firstChild != NodeArena::kNone) return;
        const NodeId up = node.parent;
        Unlink(node);
        Destroy(node);
        id = up;
    }
}

void FolderIndex::RemoveFolder(FolderNode& node) {
    RemoveDescendants(node);
    const NodeId up = node.parent;
    Unlink(node);
    Destroy(node);
    PruneEmptyPlacesFrom(up);
}

bool FolderIndex::RemoveAt(std::u16string_view path) {
    const NodeId id = FindAny(path);
    if (id == NodeArena::kNone) return false;
    RemoveFolder(At(id));
    return true;
}

void FolderIndex::Forget(FolderNode& node) {
    if (node.firstChild == NodeArena::kNone) {
        RemoveFolder(node);
        return;
    }
    node.cached = 0;
    node.sizeInvalid = node.childSizeInvalid = 1;
    node.stamp = ++sequence_;
    --cachedCount_;
}

bool FolderIndex::InvalidateFolder(std::u16string_view path) {
    FolderNode* node = Find(path);
    if (node != nullptr) InvalidateNode(*node);
    return node != nullptr;
}

void FolderIndex::InvalidateNode(FolderNode& node) {
    node.sizeInvalid = 1;
    node.childSizeInvalid = 1;
    node.stamp = ++sequence_;
    for (NodeId up = node.parent; up != top_;) {
        FolderNode& above = At(up);
        above.childSizeInvalid = 1;
        above.stamp = ++sequence_;
        up = above.parent;
    }
}

std::optional<std::u16string_view> FolderIndex::InvalidateDeepestAt(std::u16string_view path) {
    NodeId id = top_;
    NodeId deepest = NodeArena::kNone;
    std::u16string_view deepestPath;
    PathNameWalk walk(path);
    std::u16string_view name;
    uint32_t hash = 0;
    while (walk.Next(id, name, hash)) {
        id = Lookup(id, name, hash);
        if (id == NodeArena::kNone) break;
        if (At(id).cached) {
            deepest = id;
            deepestPath = walk.Walked();
        }
    }
    if (deepest == NodeArena::kNone) return std::nullopt;
    InvalidateNode(At(deepest));
    return deepestPath;
}

template <typename Visit>
void FolderIndex::ForEachBelow(FolderNode& top, Visit&& visit) {
    // Depth first through the links: down to a first child, else on to the next sibling of the
    // nearest node that has one.
    FolderNode* node = &top;
    for (;;) {
        visit(*node);
        if (node->firstChild != NodeArena::kNone) {
            node = &At(node->firstChild);
            continue;
        }
        while (node != &top && node->nextSibling == NodeArena::kNone) node = &At(node->parent);
        if (node == &top) return;
        node = &At(node->nextSibling);
    }
}

void FolderIndex::InvalidateAllUnder(std::u16string_view prefix) {
    const NodeId id = FindAny(prefix);
    if (id == NodeArena::kNone) return;
    ForEachBelow(At(id), [&](FolderNode& node) {
        node.sizeInvalid = node.childSizeInvalid = 1;
        node.stamp = ++sequence_;
    });
    InvalidateNode(At(id));
}

void FolderIndex::RemoveAllUnder(std::u16string_view prefix) {
    const NodeId id = FindAny(prefix);
    if (id == NodeArena::kNone) return;
    FolderNode& node = At(id);
    if (node.parent != top_) InvalidateNode(At(node.parent));
    RemoveFolder(node);
}

void FolderIndex::ClearIndex() {
    ++shape_;
    buckets_.reset();
    ResetIndex();
}

size_t FolderIndex::BytesReserved() const {
    return arena_.BytesReserved() + bucketCount_ * sizeof(NodeId);
}

void FolderIndex::Grow() {
    const size_t newCount = bucketCount_ * 2;
    std::unique_ptr<NodeId[]> grown(new (std::nothrow) NodeId[newCount]());
    if (!grown) return;  // a longer chain is slower, never wrong
    for (size_t bucket = 0; bucket < bucketCount_; ++bucket) {
        for (NodeId id = buckets_[bucket]; id != NodeArena::kNone;) {
            FolderNode& node = At(id);
            const NodeId next = node.chainNext;
            NodeId& head = grown[node.hash & (newCount - 1)];
            node.chainNext = head;
            head = id;
            id = next;
        }
    }
    buckets_ = std::move(grown);
    bucketCount_ = newCount;
}

Path FolderIndex::KeyOf(const FolderNode& node) const {
    size_t length = 0;
    for (const FolderNode* at = &node; at->self != top_; at = &At(at->parent)) {
        length += at->nameLength + (at->parent != top_ ? 1 : 0);
    }
    Path key(length, u'\\');
    for (const FolderNode* at = &node; at->self != top_; at = &At(at->parent)) {
        const NodeName name = at->Name();
        length -= name.size();
        for (size_t i = 0; i < name.size(); ++i) key[length + i] = FoldUnit(name[i]);
        if (at->parent != top_) --length;  // the separator stays in place
    }
    return key;
}

void FolderIndex::ForEach(const std::function<void(const CachedFolderView&)>& visit) const {
    if (top_ == NodeArena::kNone) return;
    FolderNode& top = At(top_);
    Path key;
    // The key grows by a name on the way down and shrinks by it on the way up.
    auto leave = [&](const FolderNode& node) {
        key.resize(key.size() - node.nameLength - (node.parent != top_ ? 1 : 0));
    };
    if (top.firstChild == NodeArena::kNone) return;
    const FolderNode* node = &At(top.firstChild);
    for (;;) {
        if (node->parent != top_) key.push_back(u'\\');
        const NodeName name = node->Name();
        for (size_t unit = 0; unit < name.size(); ++unit) key.push_back(FoldUnit(name[unit]));
        if (node->cached) {
            const FolderNode& above = At(node->parent);
            visit({key, *node, above.cached ? &above : nullptr});
        }
        if (node->firstChild != NodeArena::kNone) {
            node = &At(node->firstChild);
            continue;
        }
        while (node->nextSibling == NodeArena::kNone) {
            leave(*node);
            if (node->parent == top_) return;
            node = &At(node->parent);
        }
        leave(*node);
        node = &At(node->nextSibling);
    }
}

}  // namespace trovelle
