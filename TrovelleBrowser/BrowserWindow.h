// Trovelle Pro's window: a folder's items with Explorer's own columns and every registered
// column handler's, under Back, Forward, Up, the address box and every registered toolbar band,
// with a status bar. Handler cells are measured on a background thread and shown as they come;
// the folder is watched and changed rows are measured again.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "FolderView.h"
#include "FolderWatch.h"
#include "FolderWorker.h"
#include "FrameBars.h"
#include "HostedBands.h"
#include "MessageLoop.h"
#include "NavigationHistory.h"
#include "RefreshOnlyBrowser.h"

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
    void OnCommand(UINT command);
    bool CreateChildren();
    void Layout();
    void PlaceWindow(int showCommand);

    void Navigate(const std::wstring& folder, Move move, RefreshScope scope = {});
    void Refresh(RefreshScope scope);
    void OnListing(std::unique_ptr<Listing> listing);
    void OnListingFailed(const Listing& listing, Move move);
    void OnCells(std::unique_ptr<CellBatch> batch);
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
    FolderView view_;
    std::unique_ptr<FolderWorker> worker_;
    std::unique_ptr<FolderWatch> watch_;
    Microsoft::WRL::ComPtr<host::RefreshOnlyBrowser> browser_;
    host::HostedBands bands_;
    NavigationHistory history_;
    UINT configUpdateMessage_ = 0;
    int cascade_ = 0;  // how far this window opened beside others of this program

    std::wstring folder_;  // shown; kDrivesPath for the drives
    bool shown_ = false;   // a folder has been shown at all
    uint64_t generation_ = 0;
    std::optional<PendingMove> pending_;
    uint64_t watchGeneration_ = 0;
    std::wstring folderTotal_;
    std::wstring folderOnDisk_;
    // Changes seen since the last refresh, measured again when they settle.
    RefreshScope changed_{false, {}};
    ULONGLONG firstChange_ = 0;
    // What the last changes touched, asked once more a little later.
    RefreshScope settling_{false, {}};
};

}  // namespace trovelle::browser
