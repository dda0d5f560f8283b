#include "FolderTree.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>

#include "DisplayScale.h"
#include "FramePaths.h"
#include "ShareBar.h"
#include "SizeAnswers.h"
#include "WideText.h"
#include "index/FolderKey.h"
#include "view/LargestFirst.h"

namespace trovelle::browser {
namespace {

// A folder's key in the tree: without a trailing separator (but for a drive's root), folded.
std::u16string KeyOf(std::wstring path) {
    if (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return FoldedKey(ToCore(path));
}

// The system's small icon of a folder, asked once.
int FolderIcon() {
    static const int icon = [] {
        SHFILEINFOW info = {};
        ::SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof(info),
                         SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
        return info.iIcon;
    }();
    return icon;
}

// Many items inserted, changed or sorted at once are drawn once, at the end.
class RedrawPause {
public:
    explicit RedrawPause(HWND window) : window_(window) { ::SendMessageW(window_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawPause() {
        ::SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(window_, nullptr, FALSE);
    }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

private:
    HWND window_;
};

HTREEITEM Next(HWND tree, HTREEITEM item, UINT relation) {
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

LPARAM ParamOf(HWND tree, HTREEITEM item) {
    TVITEMW data = {};
    data.mask = TVIF_PARAM | TVIF_HANDLE;
    data.hItem = item;
    ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    return data.lParam;
}

void SetHasChildren(HWND tree, HTREEITEM item, bool hasChildren) {
    TVITEMW data = {};
    data.mask = TVIF_CHILDREN | TVIF_HANDLE;
    data.hItem = item;
    data.cChildren = hasChildren ? 1 : 0;
    ::SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
}

}  // namespace

bool FolderTree::Create(HWND parent, HINSTANCE instance, int id,
                        std::function<void(const std::wstring&)> askChildren) {
    askChildren_ = std::move(askChildren);
    tree_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, nullptr,
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | TVS_HASBUTTONS |
                                  TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_FULLROWSELECT |
                                  TVS_DISABLEDRAGDROP,
                              0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              instance, nullptr);
    settings_.Reread();
    return tree_ != nullptr;
}

void FolderTree::SetSettings(const ColumnSettings& settings) {
    settings_ = settings;
    ::InvalidateRect(tree_, nullptr, FALSE);
}

std::optional<size_t> FolderTree::Find(const std::wstring& path) const {
    const auto found = byFoldedPath_.find(KeyOf(path));
    if (found == byFoldedPath_.end()) return std::nullopt;
    return found->second;
}

size_t FolderTree::AddNode(size_t parent, const TreeChild& child) {
    const size_t index = nodes_.size();
    auto node = std::make_unique<Node>();
    node->path = child.path;
    node->name = child.name;
    node->sizes = child.sizes;
    node->parent = parent;
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent == SIZE_MAX ? TVI_ROOT : nodes_[parent]->item;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = node->name.data();
    insert.item.lParam = static_cast<LPARAM>(index);
    insert.item.cChildren = 1;  // until its children are known
    insert.item.iImage = insert.item.iSelectedImage = child.icon >= 0 ? child.icon : FolderIcon();
    node->item = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    byFoldedPath_[KeyOf(child.path)] = index;
    nodes_.push_back(std::move(node));
    return index;
}

void FolderTree::RemoveNode(size_t index) {
    const HTREEITEM item = nodes_[index]->item;
    // The node and everything below it leave the maps first.
    std::vector<HTREEITEM> pending = {item};
    while (!pending.empty()) {
        const HTREEITEM current = pending.back();
        pending.pop_back();
        const size_t at = static_cast<size_t>(ParamOf(tree_, current));
        if (at < nodes_.size() && nodes_[at]) {
            byFoldedPath_.erase(KeyOf(nodes_[at]->path));
            nodes_[at].reset();
        }
        for (HTREEITEM child = Next(tree_, current, TVGN_CHILD); child != nullptr;
             child = Next(tree_, child, TVGN_NEXT)) {
            pending.push_back(child);
        }
    }
    ::SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

void FolderTree::SetRoots(const std::vector<TreeChild>& roots) {
    ::SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    nodes_.clear();
    byFoldedPath_.clear();
    for (const TreeChild& root : roots) AddNode(SIZE_MAX, root);
}

void FolderTree::ApplyChildren(const TreeChildren& answer) {
    if (answer.parent == kDrivesPath) {
        SetRoots(answer.children);
        if (reveal_) Reveal(*reveal_);
        return;
    }
    const std::optional<size_t> index = Find(answer.parent);
    if (!index) return;
    const RedrawPause pause(tree_);
    Node& node = *nodes_[*index];
    if (answer.error != ERROR_SUCCESS) {
        const bool gone = answer.error == ERROR_FILE_NOT_FOUND || answer.error == ERROR_PATH_NOT_FOUND;
        if (gone && node.parent != SIZE_MAX) RemoveNode(*index);
        return;
    }
    node.childrenKnown = true;
    std::set<std::u16string> listed;
    for (const TreeChild& child : answer.children) {
        listed.insert(KeyOf(child.path));
        if (const std::optional<size_t> existing = Find(child.path)) {
            // A total asked after the listing keeps the one shown until it comes.
            if (child.sizes.state != SizeState::Measuring) nodes_[*existing]->sizes = child.sizes;
        } else {
            AddNode(*index, child);
        }
    }
    std::vector<size_t> gone;
    for (HTREEITEM child = Next(tree_, node.item, TVGN_CHILD); child != nullptr;
         child = Next(tree_, child, TVGN_NEXT)) {
        const size_t at = static_cast<size_t>(ParamOf(tree_, child));
        if (at < nodes_.size() && nodes_[at] && listed.count(KeyOf(nodes_[at]->path)) == 0) {
            gone.push_back(at);
        }
    }
    for (const size_t at : gone) RemoveNode(at);
    SetHasChildren(tree_, nodes_[*index]->item, !answer.children.empty());
    SortChildren(*index);
    if (std::exchange(nodes_[*index]->openWhenKnown, false)) Open(*index);
    if (reveal_) Reveal(*reveal_);
}

void FolderTree::ApplySizes(const TreeSizes& answer) {
    const RedrawPause pause(tree_);
    std::set<size_t> parents;
    for (const auto& [path, sizes] : answer.byPath) {
        const std::optional<size_t> index = Find(path);
        if (!index) continue;
        const size_t parent = nodes_[*index]->parent;
        if (sizes.state == SizeState::Gone && parent != SIZE_MAX) {
            RemoveNode(*index);
            continue;
        }
        nodes_[*index]->sizes = sizes;
        if (parent != SIZE_MAX) parents.insert(parent);
    }
    for (const size_t parent : parents) {
        if (nodes_[parent]) SortChildren(parent);
    }
}

void FolderTree::SortChildren(size_t index) {
    TVSORTCB sort = {};
    sort.hParent = nodes_[index]->item;
    sort.lParam = reinterpret_cast<LPARAM>(this);
    sort.lpfnCompare = [](LPARAM first, LPARAM second, LPARAM self) -> int {
        const auto& nodes = reinterpret_cast<const FolderTree*>(self)->nodes_;
        auto sized = [&](LPARAM at) {
            const Node& node = *nodes[static_cast<size_t>(at)];
            return SizedChild{AsCore(node.name), node.sizes.state == SizeState::Known
                                                     ? std::optional<uint64_t>(node.sizes.totals.bytes)
                                                     : std::nullopt};
        };
        const SizedChild a = sized(first), b = sized(second);
        return LargestFirst(a, b) ? -1 : (LargestFirst(b, a) ? 1 : 0);
    };
    ::SendMessageW(tree_, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
}

void FolderTree::AskChildren(size_t index) {
    nodes_[index]->childrenAsked = true;
    if (askChildren_) askChildren_(nodes_[index]->path);
}

void FolderTree::Open(size_t index) {
    Node& node = *nodes_[index];
    if (!node.childrenKnown) node.openWhenKnown = true;
    ::SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node.item));
}

void FolderTree::OnExpanding(const NMTREEVIEWW& change) {
    if ((change.action & TVE_EXPAND) == 0) return;
    const size_t index = static_cast<size_t>(change.itemNew.lParam);
    if (index >= nodes_.size() || !nodes_[index]) return;
    if (!nodes_[index]->childrenKnown) nodes_[index]->openWhenKnown = true;
    if (!nodes_[index]->childrenAsked) AskChildren(index);
}

void FolderTree::Reveal(const std::wstring& folder) {
    reveal_ = folder;
    std::optional<std::wstring> above = folder;
    std::optional<size_t> nearest;
    while (above && !above->empty() && !(nearest = Find(*above))) above = FolderAbove(*above);
    if (!nearest) {
        if (!nodes_.empty()) reveal_.reset();  // else the roots are on their way
        return;
    }
    const Node& node = *nodes_[*nearest];
    const bool reached = KeyOf(node.path) == KeyOf(folder);
    if (!reached && !node.childrenKnown) {
        // Its children come later; the reveal goes on then.
        if (!node.childrenAsked) AskChildren(*nearest);
        return;
    }
    // Reached, or as near as the tree goes (a folder it does not list): that node is selected
    // and opened, with every node above it.
    reveal_.reset();
    for (size_t at = node.parent; at != SIZE_MAX && nodes_[at]; at = nodes_[at]->parent) Open(at);
    Open(*nearest);
    ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node.item));
    ::SendMessageW(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(node.item));
}

std::vector<std::wstring> FolderTree::OpenFolders() const {
    std::vector<std::wstring> open;
    for (const auto& node : nodes_) {
        if (!node || !node->childrenKnown) continue;
        const UINT state = static_cast<UINT>(
            ::SendMessageW(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node->item), TVIS_EXPANDED));
        if ((state & TVIS_EXPANDED) != 0) open.push_back(node->path);
    }
    return open;
}

std::optional<std::wstring> FolderTree::PathOf(HTREEITEM item) const {
    if (item == nullptr) return std::nullopt;
    const size_t at = static_cast<size_t>(ParamOf(tree_, item));
    if (at >= nodes_.size() || !nodes_[at]) return std::nullopt;
    return nodes_[at]->path;
}

HTREEITEM FolderTree::ItemAt(POINT screen) const {
    if (screen.x == -1 && screen.y == -1) return Next(tree_, nullptr, TVGN_CARET);
    TVHITTESTINFO hit = {};
    hit.pt = screen;
    ::ScreenToClient(tree_, &hit.pt);
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

LRESULT FolderTree::CustomDraw(NMTVCUSTOMDRAW& draw) const {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: return CDRF_NOTIFYPOSTPAINT;
        case CDDS_ITEMPOSTPAINT: {
            const size_t at = static_cast<size_t>(draw.nmcd.lItemlParam);
            if (at < nodes_.size() && nodes_[at]) DrawSize(draw, *nodes_[at]);
            return CDRF_DODEFAULT;
        }
        default: return CDRF_DODEFAULT;
    }
}

// The total and the share bar sit at the row's right end, over the end of a long name.
void FolderTree::DrawSize(const NMTVCUSTOMDRAW& draw, const Node& node) const {
    // The message takes the item in the rectangle it fills.
    RECT row = {};
    std::memcpy(&row, &node.item, sizeof(node.item));
    if (!::SendMessageW(tree_, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&row))) return;
    RECT client = {};
    ::GetClientRect(tree_, &client);
    ShareCell cell;
    cell.textWidth = ScaleForWindow(tree_, 84);
    cell.barWidth = ScaleForWindow(tree_, 44);
    cell.bounds = {std::max<LONG>(client.right - cell.textWidth - cell.barWidth - ScaleForWindow(tree_, 12),
                                  client.left),
                   row.top, client.right, row.bottom};
    cell.selected = (draw.nmcd.uItemState & CDIS_SELECTED) != 0;
    cell.focused = ::GetFocus() == tree_;
    const Node* parent = node.parent != SIZE_MAX ? nodes_[node.parent].get() : nullptr;
    if (parent != nullptr && parent->sizes.state == SizeState::Known && parent->sizes.totals.bytes > 0 &&
        node.sizes.state == SizeState::Known) {
        cell.share = static_cast<double>(node.sizes.totals.bytes) /
                     static_cast<double>(parent->sizes.totals.bytes);
    }
    cell.text = ShownSize(node.sizes, false, settings_);
    DrawShareCell(draw.nmcd.hdc, tree_, cell);
}

}  // namespace trovelle::browser
