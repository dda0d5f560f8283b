// The folder tree at the window's left: the drives, and below each folder opened its
// subfolders, largest first, each with its total in the user's format and a bar of its share of
// its parent. Children are asked for when a node opens and kept current when asked again; a
// folder gone goes from the tree.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ColumnSettings.h"
#include "TreeJobs.h"

namespace trovelle::browser {

class FolderTree {
public:
    // `askChildren` queues the listing of a folder's subfolders (an ExpandJob).
    bool Create(HWND parent, HINSTANCE instance, int id, std::function<void(const std::wstring&)> askChildren);
    HWND Window() const { return tree_; }

    // A folder's children as listed (kDrivesPath's: the roots).
    void ApplyChildren(const TreeChildren& answer);
    void ApplySizes(const TreeSizes& answer);
    void SetSettings(const ColumnSettings& settings);

    // Selects the node of `folder` (without the window opening it again), opening the nodes
    // above it and asking for their children as needed.
    void Reveal(const std::wstring& folder);
    // The folders whose children the tree shows: asked again when the disks change.
    std::vector<std::wstring> OpenFolders() const;
    std::optional<std::wstring> PathOf(HTREEITEM item) const;
    // The node under a point of the screen, or the selected one for a point of (-1, -1).
    HTREEITEM ItemAt(POINT screen) const;

    // TVN_ITEMEXPANDINGW; NM_CUSTOMDRAW.
    void OnExpanding(const NMTREEVIEWW& change);
    LRESULT CustomDraw(NMTVCUSTOMDRAW& draw) const;

private:
    struct Node {
        std::wstring path;
        std::wstring name;
        ItemSizes sizes;
        HTREEITEM item = nullptr;
        size_t parent = SIZE_MAX;
        bool childrenAsked = false;
        bool childrenKnown = false;
        bool openWhenKnown = false;  // opened before its children were known
    };

    void SetRoots(const std::vector<TreeChild>& roots);
    std::optional<size_t> Find(const std::wstring& path) const;
    size_t AddNode(size_t parent, const TreeChild& child);
    void RemoveNode(size_t node);
    void SortChildren(size_t node);
    void AskChildren(size_t node);
    void Open(size_t node);
    void DrawSize(const NMTVCUSTOMDRAW& draw, const Node& node) const;

    HWND tree_ = nullptr;
    std::function<void(const std::wstring&)> askChildren_;
    std::vector<std::unique_ptr<Node>> nodes_;  // by index (the item's lParam); removed: null
    std::unordered_map<std::u16string, size_t> byFoldedPath_;
    std::optional<std::wstring> reveal_;
    ColumnSettings settings_;
};

}  // namespace trovelle::browser
