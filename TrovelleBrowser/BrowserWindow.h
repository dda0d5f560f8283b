// Trovelle Pro's window: the folder tree at the left, the open folder's items with their sizes,
// sizes on disk and shares in the list, under Back, Forward, Up, the address box and every
// registered toolbar band, with a status bar. Sizes are asked on background threads and shown
// as they come; the folder is watched, and changed rows and the tree's totals are asked again.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "CacheWorker.h"
#include "FolderTree.h"
#include "FolderView.h"
#include "FolderWatch.h"
#include "FolderWorker.h"
#include "FrameBars.h"
#include "GdiScopes.h"
#include "HostedBands.h"
#include "MessageLoop.h"
#include "NavigationHistory.h"
#include "RefreshOnlyBrowser.h"
#include "TreemapPane.h"

namespace trovelle::browser {

inline constexpr wchar_t kBrowserWindowClass[] = L"TrovelleBrowser";

class BrowserWindow : public ui::MessageFilter {
public:
    BrowserWindow() = default;
    ~BrowserWindow() override;
    BrowserWindow(const BrowserWindow&) = delete;
    BrowserWindow& operator=(const BrowserWindow&) = delete;

    // Creates and shows the window on `folder` (empty: the last folder shown, else the
    // profile folder). False when the window could not be created.
    bool Open(HINSTANCE instance, const std::wstring& folder, int showCommand);
    HWND Window() const { return window_; }

    BOOL PreTranslateMessage(MSG* message) override;

private:
    enum class Move { Start, New, Back, Forward, Refresh };
    struct PendingMove {
        uint64_t generation = 0;
        Move move = Move::New;
        RefreshScope scope;
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(const NMHDR& header);
    LRESULT OnListNotify(const NMHDR& header);
    LRESULT OnTreeNotify(const NMHDR& header);
    void OnCommand(UINT command);
    void OnContextMenu(HWND target, POINT screen);
    // Acting on items: the shell's menu with the window's own ways for some of its commands.
    bool RunInstead(const std::wstring& verb, const std::vector<std::wstring>& paths, HWND source);
    std::vector<std::wstring> SelectedPaths() const;
    void DeletePaths(const std::vector<std::wstring>& paths, bool permanently);
    void StartRename();
    void RenameRow(const LVITEMW& edited);
    void ShowProperties(const std::vector<std::wstring>& paths);
    bool SelectShown(const std::wstring& path);
    void OpenPath(const std::wstring& path);
    void ExportShownList();
    // The treemap is drawn again a moment after what it shows changed.
    void TreemapDue();
    void ShowTreemap();
    bool CreateChildren();
    void Layout();
    void PlaceWindow(int showCommand);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void ApplyDpi();

    // The splitters between the panes: where the mouse may drag, and the drag itself.
    enum class Splitter { None, Tree, Treemap };
    Splitter SplitterAt(POINT client) const;
    void OnMouseDown(POINT client);
    void OnMouseMove(POINT client);
    bool OnSetCursor();
    void MoveFocusBetweenPanes(bool backwards);

    void Navigate(const std::wstring& folder, Move move, RefreshScope scope = {});
    void Refresh(RefreshScope scope);
    void OnListing(std::unique_ptr<Listing> listing);
    void ShowFirstRows(std::unique_ptr<Listing> listing);
    void OnListingFailed(const Listing& listing, Move move);
    void OnCells(std::unique_ptr<CellBatch> batch);
    void OnHandlerColumns(std::unique_ptr<HandlerColumns> offered);
    void ApplySettings();
    void RefreshTree();
    void OnFolderChanged(std::unique_ptr<FolderChanges> changes);
    void OpenItem(int position);
    void NavigateToTyped();
    void FocusAddress();
    void OpenNewWindow() const;
    void ShowFolderState();
    void UpdateStatus();
    void SaveState();

    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    FrameBars bars_;
    FolderTree tree_;
    FolderView view_;
    TreemapPane treemap_;
    std::unique_ptr<FolderWorker> worker_;
    std::unique_ptr<CacheWorker> cacheWorker_;    // the tree's
    std::unique_ptr<CacheWorker> treemapWorker_;  // the treemap's deeper levels: many listings
    std::unique_ptr<FolderWatch> watch_;
    Microsoft::WRL::ComPtr<host::RefreshOnlyBrowser> browser_;
    host::HostedBands bands_;
    NavigationHistory history_;
    UINT configUpdateMessage_ = 0;
    int cascade_ = 0;  // how far this window opened beside others of this program

    std::wstring startFolder_;  // the folder the window opens on
    std::wstring folder_;  // shown; kDrivesPath for the drives
    bool shown_ = false;   // a folder has been shown at all
    bool treeRooted_ = false;  // the tree's drives were asked for
    uint64_t firstRowsGeneration_ = 0;  // the listing whose first rows are shown
    uint64_t generation_ = 0;
    std::optional<PendingMove> pending_;
    uint64_t watchGeneration_ = 0;
    UINT dpi_ = 96;
    UniqueFont font_;      // the panes' font at the window's DPI
    int treeWidth_ = 0;    // at 96 DPI
    int treemapHeight_ = 0;  // at 96 DPI
    bool treemapShown_ = true;
    bool treemapDue_ = false;
    uint64_t treemapGeneration_ = 0;  // the listing whose deeper levels were asked for
    std::wstring treemapFolder_;      // and its folder
    ULONGLONG treemapAskedAt_ = 0;
    std::unordered_map<std::wstring, std::vector<TreemapItem>> treemapBelow_;
    Splitter dragging_ = Splitter::None;
    // Changes seen since the last refresh, measured again when they settle.
    RefreshScope changed_{false, {}};
    ULONGLONG firstChange_ = 0;
    // What the last changes touched, asked once more a little later.
    RefreshScope settling_{false, {}};
};

}  // namespace trovelle::browser
