#include "BrowserWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "BrowserSettings.h"
#include "DisplayScale.h"
#include "FolderListing.h"
#include "FileActions.h"
#include "FolderProperties.h"
#include "ShellItemMenu.h"
#include "SizeAnswers.h"
#include "TreeJobs.h"
#include "TreemapJob.h"
#include "TreemapOfFolder.h"
#include "Win32FileSystem.h"
#include "FramePaths.h"
#include "ProductNames.h"
#include "SystemErrorText.h"
#include "WideText.h"
#include "WindowOwner.h"
#include "index/FolderKey.h"
#include "resource.h"

namespace trovelle::browser {
namespace {

constexpr UINT_PTR kChangeTimer = 1;
constexpr UINT_PTR kSettleTimer = 2;
constexpr UINT_PTR kTreemapTimer = 3;
// The treemap is drawn again at most this often while sizes come in.
constexpr UINT kTreemapDelayMs = 300;
// The treemap's deeper levels of the folder shown are asked again at most this often.
constexpr ULONGLONG kTreemapDepthPauseMs = 3000;
// Whoever else follows the change (the cache server) may answer from before it for a moment;
// the rows it touched, and every folder's total, are asked once more after this long.
constexpr UINT kSettleMs = 1500;
// Changes are measured once they have been quiet this long, and never later than the
// longest wait after the first of them.
constexpr UINT kChangeQuietMs = 500;
constexpr ULONGLONG kChangeLongestWaitMs = 1500;
constexpr int kCascadeStep = 30;
constexpr int kFirstWidth = 1240;
constexpr int kFirstHeight = 680;
constexpr wchar_t kProductName[] = L"Trovelle Pro";
// Lengths at 96 DPI, scaled to the window's.
constexpr int kFirstTreeWidth = 300;
constexpr int kFirstTreemapHeight = 260;
constexpr int kSplitterWidth = 5;
constexpr int kSmallestPane = 60;

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool AltHeld(LPARAM lParam) { return (lParam & (1 << 29)) != 0; }
bool ControlHeld() { return ::GetKeyState(VK_CONTROL) < 0; }
bool ShiftHeld() { return ::GetKeyState(VK_SHIFT) < 0; }

POINT PointOf(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// Whether one of the two folders lies at or below the other: a change in one moves the
// other's total.
bool OnOnePath(const std::wstring& a, const std::wstring& b) {
    const std::u16string foldedA = FoldedKey(ToCore(a)), foldedB = FoldedKey(ToCore(b));
    return IsAtOrBelow(foldedA, foldedB) || IsAtOrBelow(foldedB, foldedA);
}

// Whether another window of this program has its top left corner at `place`'s.
bool PlaceTaken(HWND self, const RECT& place) {
    for (HWND other = ::FindWindowExW(nullptr, nullptr, kBrowserWindowClass, nullptr);
         other != nullptr; other = ::FindWindowExW(nullptr, other, kBrowserWindowClass, nullptr)) {
        RECT bounds = {};
        if (other != self && ::GetWindowRect(other, &bounds) && bounds.left == place.left &&
            bounds.top == place.top) {
            return true;
        }
    }
    return false;
}

}  // namespace

BrowserWindow::~BrowserWindow() {
    if (browser_) browser_->Disconnect();
}

bool BrowserWindow::Open(HINSTANCE instance, const std::wstring& folder, int showCommand) {
    instance_ = instance;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_TROVELLE));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEW(IDR_BROWSER_MENU);
    windowClass.lpszClassName = kBrowserWindowClass;
    if (::RegisterClassExW(&windowClass) == 0) return false;
    configUpdateMessage_ = ::RegisterWindowMessageW(kConfigUpdateMessageName);
    // On a first start: wide enough for every column of the product's handler, and whole on
    // the screen with room for a few windows beside it.
    RECT work = {0, 0, 1024, 768};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = std::min<int>(kFirstWidth, work.right - work.left - 4 * kCascadeStep);
    const int height = std::min<int>(kFirstHeight, work.bottom - work.top - 4 * kCascadeStep);
    // The folder given, else the last one shown; a given one that names nothing: the profile.
    std::optional<std::wstring> start = FolderPathFrom(folder, ProfileFolder());
    if (!start) start = folder.empty() ? ReadLastFolder() : std::nullopt;
    startFolder_ = start.value_or(ProfileFolder());
    if (::CreateWindowExW(0, kBrowserWindowClass, kProductName, WS_OVERLAPPEDWINDOW,
                          work.left + kCascadeStep, work.top + kCascadeStep, width, height,
                          nullptr, nullptr, instance, this) == nullptr) {
        return false;
    }
    PlaceWindow(showCommand);

    // The status bar says what the listing begun with the window is about.
    SetStatusText(bars_, StatusPart::Progress, L"Opening " + DisplayName(startFolder_) + L"\u2026");
    return true;
}

void BrowserWindow::PlaceWindow(int showCommand) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(window_, &placement);
    placement.showCmd = showCommand == SW_SHOWDEFAULT ? SW_SHOWNORMAL : static_cast<UINT>(showCommand);
    if (const std::optional<WINDOWPLACEMENT> kept = ReadPlacement()) {
        placement.rcNormalPosition = kept->rcNormalPosition;
        // Started plainly, the window comes back maximized if it was.
        if (kept->showCmd == SW_SHOWMAXIMIZED &&
            (showCommand == SW_SHOWDEFAULT || showCommand == SW_SHOWNORMAL)) {
            placement.showCmd = SW_SHOWMAXIMIZED;
        }
    }
    // Another window of this program in the same place: this one opens beside it.
    while (PlaceTaken(window_, placement.rcNormalPosition)) {
        ::OffsetRect(&placement.rcNormalPosition, kCascadeStep, kCascadeStep);
        cascade_ += kCascadeStep;
    }
    ::SetWindowPlacement(window_, &placement);
    ::UpdateWindow(window_);
}

LRESULT CALLBACK BrowserWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    BrowserWindow* self = ui::OwnerOfPlainWindow<BrowserWindow>(window, message, lParam);
    if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCCREATE) self->window_ = window;
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT BrowserWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return CreateChildren() ? 0 : -1;
        case WM_SIZE:
            Layout();
            return 0;
        case WM_SETFOCUS:
            ::SetFocus(view_.Window());
            return 0;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_CONTEXTMENU:
            OnContextMenu(reinterpret_cast<HWND>(wParam), PointOf(lParam));
            return 0;
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE:
            RereadHighContrast();
            // The controls redraw in the system's colours themselves; the panes drawn here too.
            ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            ::SendMessageW(treemap_.Window(), message, wParam, lParam);
            break;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_LBUTTONDOWN:
            OnMouseDown(PointOf(lParam));
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(PointOf(lParam));
            return 0;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            if (dragging_ != Splitter::None) {
                dragging_ = Splitter::None;
                if (::GetCapture() == window_) ::ReleaseCapture();
            }
            return 0;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == window_ && LOWORD(lParam) == HTCLIENT && OnSetCursor()) {
                return TRUE;
            }
            break;
        case WM_TIMER:
            if (wParam == kChangeTimer) {
                ::KillTimer(window_, kChangeTimer);
                firstChange_ = 0;
                settling_ = changed_;
                settling_.allFolders = true;
                ::SetTimer(window_, kSettleTimer, kSettleMs, nullptr);
                Refresh(std::exchange(changed_, RefreshScope{false, {}}));
            } else if (wParam == kSettleTimer) {
                ::KillTimer(window_, kSettleTimer);
                Refresh(std::exchange(settling_, RefreshScope{false, {}}));
            } else if (wParam == kTreemapTimer) {
                ::KillTimer(window_, kTreemapTimer);
                treemapDue_ = false;
                ShowTreemap();
            }
            return 0;
        case kListingReady:
            OnListing(TakePosted<Listing>(lParam));
            return 0;
        case kCellsReady:
            OnCells(TakePosted<CellBatch>(lParam));
            return 0;
        case kHandlerColumnsReady:
            OnHandlerColumns(TakePosted<HandlerColumns>(lParam));
            return 0;
        case kTreeChildrenReady: {
            const auto children = TakePosted<TreeChildren>(lParam);
            tree_.ApplyChildren(*children);
            // One job a drive: what the user opens meanwhile goes between them.
            if (children->parent == kDrivesPath) {
                for (const TreeChild& root : children->children) {
                    cacheWorker_->Queue(SizesJob(window_, {root.path}));
                }
            }
            return 0;
        }
        case kTreeSizesReady:
            tree_.ApplySizes(*TakePosted<TreeSizes>(lParam));
            return 0;
        case kTreemapDepthReady: {
            const auto depth = TakePosted<TreemapDepth>(lParam);
            if (depth->generation == treemapGeneration_) {
                treemapBelow_ = std::move(depth->below);
                TreemapDue();
            }
            return 0;
        }
        case kFolderChanged:
            OnFolderChanged(TakePosted<FolderChanges>(lParam));
            return 0;
        case WM_DESTROY:
            SaveState();
            // Bands leave while their site's window still exists, as in a closing browser.
            bands_.Close();
            if (browser_) browser_->Disconnect();
            watch_.reset();
            worker_.reset();
            cacheWorker_.reset();
            treemapWorker_.reset();
            ::PostQuitMessage(0);
            return 0;
        default:
            if (message == configUpdateMessage_ && configUpdateMessage_ != 0) {
                ApplySettings();
                // The other handlers' cells show the new format once asked again.
                if (view_.ShowsHandlerColumns()) Refresh({});
                return 0;
            }
            break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

bool BrowserWindow::CreateChildren() {
    // The first folder is listed while the rest of the window is made.
    worker_ = std::make_unique<FolderWorker>(window_);
    worker_->ShowHandlerColumns(ReadShownHandlerColumns());
    pending_ = PendingMove{++generation_, Move::Start, {}};
    worker_->List(generation_, startFolder_);
    if (!CreateFrameBars(window_, instance_, bars_)) return false;
    cacheWorker_ = std::make_unique<CacheWorker>();
    treemapWorker_ = std::make_unique<CacheWorker>();
    const auto askChildren = [this](const std::wstring& folder) {
        cacheWorker_->QueueFirst(ExpandJob(window_, folder));
    };
    if (!tree_.Create(window_, instance_, IDC_FOLDER_TREE, askChildren)) return false;
    if (!view_.Create(window_, instance_, IDC_FOLDER_LIST)) return false;
    if (!treemap_.Create(window_, instance_, IDC_TREEMAP)) return false;
    view_.RereadSettings();
    ::SendMessageW(view_.Window(), LVM_SETIMAGELIST, LVSIL_SMALL,
                   reinterpret_cast<LPARAM>(SystemSmallIcons()));
    ::SendMessageW(tree_.Window(), TVM_SETIMAGELIST, TVSIL_NORMAL,
                   reinterpret_cast<LPARAM>(SystemSmallIcons()));
    treeWidth_ = ReadTreeWidth().value_or(kFirstTreeWidth);
    treemapHeight_ = kFirstTreemapHeight;
    ::CheckMenuItem(::GetMenu(window_), ID_VIEW_TREEMAP, MF_CHECKED);
    dpi_ = DpiOfWindow(window_);
    ApplyDpi();
    watch_ = std::make_unique<FolderWatch>(window_);
    // A band that changed the settings refreshes its browser.
    browser_ = host::RefreshOnlyBrowser::Make([this] {
        ApplySettings();
        Refresh({});
    });
    if (!browser_) return false;
    bands_.Open(bars_.rebar, browser_.Get());
    ::CheckMenuItem(::GetMenu(window_), ID_VIEW_SHOW_HIDDEN, MF_UNCHECKED);
    EnableNavigation(bars_, false, false, false);
    return true;
}

void BrowserWindow::Layout() {
    RECT client = {};
    ::GetClientRect(window_, &client);
    const int width = client.right;
    ::SendMessageW(bars_.rebar, WM_SIZE, 0, 0);
    ::SendMessageW(bars_.status, WM_SIZE, 0, 0);
    LayoutStatusParts(bars_);
    RECT bar = {}, status = {};
    ::GetWindowRect(bars_.rebar, &bar);
    ::GetWindowRect(bars_.status, &status);
    const int top = bar.bottom - bar.top;
    const int bottom = client.bottom - (status.bottom - status.top);
    const int height = std::max(bottom - top, 0);
    const int gap = ScaleForDpi(kSplitterWidth, dpi_);
    const int smallest = ScaleForDpi(kSmallestPane, dpi_);
    const int tree = std::clamp(ScaleForDpi(treeWidth_, dpi_), std::min(smallest, width / 2),
                                std::max(width - smallest - gap, smallest));
    ::MoveWindow(tree_.Window(), 0, top, tree, height, TRUE);
    const int listLeft = tree + gap;
    const int right = std::max(width - listLeft, 0);
    int listHeight = height;
    if (treemapShown_) {
        const int treemap = std::clamp(ScaleForDpi(treemapHeight_, dpi_), std::min(smallest, height / 2),
                                       std::max(height - smallest - gap, smallest));
        listHeight = std::max(height - treemap - gap, 0);
        ::MoveWindow(treemap_.Window(), listLeft, top + listHeight + gap, right, height - listHeight - gap, TRUE);
    }
    ::ShowWindow(treemap_.Window(), treemapShown_ ? SW_SHOWNA : SW_HIDE);
    ::MoveWindow(view_.Window(), listLeft, top, right, listHeight, TRUE);
}

BrowserWindow::Splitter BrowserWindow::SplitterAt(POINT client) const {
    RECT tree = {};
    ::GetWindowRect(tree_.Window(), &tree);
    ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&tree), 2);
    const int gap = ScaleForDpi(kSplitterWidth, dpi_);
    if (client.y >= tree.top && client.y < tree.bottom && client.x >= tree.right &&
        client.x < tree.right + gap) {
        return Splitter::Tree;
    }
    RECT list = {};
    ::GetWindowRect(view_.Window(), &list);
    ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&list), 2);
    if (treemapShown_ && client.x >= list.left && client.x < list.right && client.y >= list.bottom &&
        client.y < list.bottom + gap) {
        return Splitter::Treemap;
    }
    return Splitter::None;
}

void BrowserWindow::OnMouseDown(POINT client) {
    dragging_ = SplitterAt(client);
    if (dragging_ != Splitter::None) ::SetCapture(window_);
}

void BrowserWindow::OnMouseMove(POINT client) {
    if (dragging_ == Splitter::Tree) {
        treeWidth_ = std::max(::MulDiv(client.x, 96, static_cast<int>(dpi_)), kSmallestPane);
    } else if (dragging_ == Splitter::Treemap) {
        RECT treemap = {};
        ::GetWindowRect(treemap_.Window(), &treemap);
        ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&treemap), 2);
        const int height = treemap.bottom - client.y;
        treemapHeight_ = std::max(::MulDiv(height, 96, static_cast<int>(dpi_)), kSmallestPane);
    } else {
        return;
    }
    Layout();
}

bool BrowserWindow::OnSetCursor() {
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    ::ScreenToClient(window_, &cursor);
    const Splitter splitter = dragging_ != Splitter::None ? dragging_ : SplitterAt(cursor);
    if (splitter == Splitter::None) return false;
    ::SetCursor(::LoadCursorW(nullptr, splitter == Splitter::Tree ? IDC_SIZEWE : IDC_SIZENS));
    return true;
}

void BrowserWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    ApplyDpi();
    ::SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

// Fonts, row heights and the panes' lengths follow the window's DPI.
void BrowserWindow::ApplyDpi() {
    UniqueFont font = UiFontForDpi(dpi_);
    if (!font) return;
    for (const HWND pane : {tree_.Window(), view_.Window(), bars_.address}) {
        ::SendMessageW(pane, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    }
    font_ = std::move(font);  // the old font goes once no pane uses it
    ::SendMessageW(tree_.Window(), TVM_SETITEMHEIGHT, ScaleForDpi(20, dpi_), 0);
}

void BrowserWindow::MoveFocusBetweenPanes(bool backwards) {
    std::vector<HWND> panes = {tree_.Window(), view_.Window()};
    if (treemapShown_) panes.push_back(treemap_.Window());
    const HWND focus = ::GetFocus();
    size_t at = 0;
    while (at < panes.size() && panes[at] != focus) ++at;
    if (at == panes.size()) at = backwards ? 0 : panes.size() - 1;
    const size_t next = backwards ? (at + panes.size() - 1) % panes.size() : (at + 1) % panes.size();
    ::SetFocus(panes[next]);
}

LRESULT BrowserWindow::OnNotify(const NMHDR& header) {
    if (header.hwndFrom == bars_.rebar && header.code == RBN_HEIGHTCHANGE) {
        Layout();
        return 0;
    }
    if (header.hwndFrom == tree_.Window()) return OnTreeNotify(header);
    if (header.hwndFrom == treemap_.Window()) {
        const auto& chosen = reinterpret_cast<const TreemapNotify&>(header);
        if (chosen.path == nullptr || *chosen.path == L'\0') return 0;
        if (header.code == kTreemapSelect) SelectShown(chosen.path);
        if (header.code == kTreemapOpen) OpenPath(chosen.path);
        return 0;
    }
    if (header.hwndFrom == view_.Window()) return OnListNotify(header);
    return 0;
}

LRESULT BrowserWindow::OnTreeNotify(const NMHDR& header) {
    switch (header.code) {
        case TVN_ITEMEXPANDINGW:
            tree_.OnExpanding(reinterpret_cast<const NMTREEVIEWW&>(header));
            return FALSE;
        case TVN_SELCHANGEDW: {
            const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
            // The tree follows the list without opening anything; a user's choice opens it.
            if (change.action == TVC_UNKNOWN) return 0;
            if (const auto path = tree_.PathOf(change.itemNew.hItem)) Navigate(*path, Move::New);
            return 0;
        }
        case NM_CUSTOMDRAW:
            return tree_.CustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
        default:
            return 0;
    }
}

LRESULT BrowserWindow::OnListNotify(const NMHDR& header) {
    switch (header.code) {
        case NM_CUSTOMDRAW:
            return view_.CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
        case LVN_GETDISPINFOW:
            view_.FillDisplayInfo(*const_cast<NMLVDISPINFOW*>(reinterpret_cast<const NMLVDISPINFOW*>(&header)));
            return 0;
        case LVN_ODCACHEHINT: {
            const auto& hint = reinterpret_cast<const NMLVCACHEHINT&>(header);
            if (worker_) worker_->Prioritize(generation_, view_.RowsAt(hint.iFrom, hint.iTo));
            return 0;
        }
        case LVN_COLUMNCLICK:
            view_.SortBy(static_cast<size_t>(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem));
            return 0;
        // Enter and a double click open an item (list views differ in whether they also send
        // LVN_ITEMACTIVATE for Enter, so that one is not used).
        case NM_RETURN:
            OpenItem(-1);
            return 0;
        case NM_DBLCLK:
            OpenItem(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
            return 0;
        case LVN_BEGINLABELEDITW:
            return view_.RowAt(reinterpret_cast<const NMLVDISPINFOW&>(header).item.iItem) == nullptr;
        case LVN_ENDLABELEDITW:
            RenameRow(reinterpret_cast<const NMLVDISPINFOW&>(header).item);
            return FALSE;  // the listing after the change shows the new name
        default:
            return 0;
    }
}

void BrowserWindow::OnContextMenu(HWND target, POINT screen) {
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(view_.Window(), LVM_GETHEADER, 0, 0));
    RECT headerBounds = {};
    ::GetWindowRect(header, &headerBounds);
    if ((target == view_.Window() || target == header) && ::PtInRect(&headerBounds, screen)) {
        if (view_.ChooseHandlerColumns(screen)) {
            worker_->ShowHandlerColumns(view_.ShownHandlerColumns());
            Refresh({});
        }
        return;
    }
    const bool fromKeyboard = screen.x == -1 && screen.y == -1;
    std::vector<std::wstring> paths;
    if (target == view_.Window()) {
        paths = SelectedPaths();
    } else if (target == tree_.Window()) {
        if (const auto path = tree_.PathOf(tree_.ItemAt(screen))) paths.push_back(*path);
    } else if (target == treemap_.Window() && !fromKeyboard) {
        POINT client = screen;
        ::ScreenToClient(treemap_.Window(), &client);
        if (std::wstring path = treemap_.PathAt(client); !path.empty()) paths.push_back(std::move(path));
    }
    if (paths.empty()) return;
    if (fromKeyboard) {
        RECT bounds = {};
        ::GetWindowRect(target, &bounds);
        screen = {bounds.left + 20, bounds.top + 20};
    }
    const host::ShellMenuHooks hooks{
        [&](const std::wstring& verb) { return RunInstead(verb, paths, target); }};
    host::ShowShellItemMenu(window_, paths, screen, hooks);
}

// The window's own way for what the shell's menu would do outside it: folders open here,
// deletions go through the file operation, names are edited in the list, and a folder's
// Properties show every registered page.
bool BrowserWindow::RunInstead(const std::wstring& verb, const std::vector<std::wstring>& paths,
                               HWND source) {
    const bool oneFolder = paths.size() == 1 && IsFolderPath(paths.front());
    if ((verb == L"open" || verb == L"explore") && oneFolder) {
        Navigate(paths.front(), Move::New);
        return true;
    }
    if (verb == L"delete") {
        DeletePaths(paths, ShiftHeld());
        return true;
    }
    if (verb == L"rename") {
        if (paths.size() == 1 && (source == view_.Window() || SelectShown(paths.front()))) {
            StartRename();
        }
        return true;
    }
    if (verb == L"properties" && oneFolder && RunningUnderWine()) {
        host::ShowFolderProperties(window_, paths.front());
        return true;
    }
    return false;
}

std::vector<std::wstring> BrowserWindow::SelectedPaths() const {
    std::vector<std::wstring> paths;
    for (const int position : view_.SelectedPositions()) {
        if (const Row* row = view_.RowAt(position)) paths.push_back(row->item.path);
    }
    return paths;
}

void BrowserWindow::DeletePaths(const std::vector<std::wstring>& paths, bool permanently) {
    if (paths.empty()) return;
    const HRESULT result = host::DeleteItems(window_, paths, permanently);
    // The folder's watch brings the change; the tree's totals are asked again at once.
    if (SUCCEEDED(result)) RefreshTree();
}

void BrowserWindow::StartRename() {
    const int focused = static_cast<int>(::SendMessageW(view_.Window(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                        LVNI_FOCUSED | LVNI_SELECTED));
    if (focused < 0) return;
    ::SetFocus(view_.Window());
    ::SendMessageW(view_.Window(), LVM_EDITLABELW, focused, 0);
}

void BrowserWindow::RenameRow(const LVITEMW& edited) {
    const Row* row = view_.RowAt(edited.iItem);
    if (row == nullptr || edited.pszText == nullptr || row->item.name == edited.pszText) return;
    const HRESULT result = host::RenameItem(window_, row->item.path, edited.pszText);
    if (FAILED(result) && result != HRESULT_FROM_WIN32(ERROR_CANCELLED)) {
        const std::wstring message = L"Trovelle Pro cannot rename \"" + row->item.name + L"\".\n\n" +
                                     SystemErrorText(static_cast<DWORD>(HRESULT_CODE(result)));
        ::MessageBoxW(window_, message.c_str(), kProductName, MB_OK | MB_ICONWARNING);
    }
}

void BrowserWindow::ShowProperties(const std::vector<std::wstring>& paths) {
    if (paths.empty()) return;
    if (!RunInstead(L"properties", paths, view_.Window())) {
        host::InvokeShellVerb(window_, paths, "properties");
    }
}

// The item of the open folder that `path` is or lies in, selected in the list; a folder's node
// selected in the tree. False when the list does not show it.
bool BrowserWindow::SelectShown(const std::wstring& path) {
    std::wstring base = folder_;
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    if (path.size() <= base.size() || _wcsnicmp(path.c_str(), base.c_str(), base.size()) != 0) return false;
    const std::wstring rest = path.substr(base.size());
    const std::wstring name = rest.substr(0, rest.find(L'\\'));
    if (!view_.SelectNamed(name)) return false;
    if (IsFolderPath(base + name)) tree_.Reveal(base + name);
    return true;
}

void BrowserWindow::OpenPath(const std::wstring& path) {
    if (IsFolderPath(path)) {
        Navigate(path, Move::New);
        return;
    }
    SHELLEXECUTEINFOW execute = {};
    execute.cbSize = sizeof(execute);
    execute.fMask = SEE_MASK_NOASYNC;
    execute.hwnd = window_;
    execute.lpFile = path.c_str();
    execute.nShow = SW_SHOWNORMAL;
    ::ShellExecuteExW(&execute);  // the shell says itself what went wrong
}

void BrowserWindow::TreemapDue() {
    if (!treemapShown_ || treemapDue_) return;
    treemapDue_ = true;
    ::SetTimer(window_, kTreemapTimer, kTreemapDelayMs, nullptr);
}

void BrowserWindow::ShowTreemap() {
    if (!treemapShown_ || !shown_ || folder_ == kDrivesPath) {
        treemap_.Show({});
        return;
    }
    const std::vector<const Row*> rows = view_.ShownRows();
    // Once every folder of the list is measured, the levels below are asked for: for a folder
    // newly shown at once, after changes at most every few seconds (they list every subfolder,
    // and a folder being listed cannot be deleted meanwhile).
    const bool newFolder = treemapFolder_ != folder_;
    const ULONGLONG now = ::GetTickCount64();
    const bool due = newFolder || now - treemapAskedAt_ >= kTreemapDepthPauseMs;
    const bool ready = treemapGeneration_ != generation_ && view_.FoldersBeingMeasured() == 0 &&
                       view_.FolderSizes().state == SizeState::Known;
    if (ready && !due && treemapShown_) {
        // Asked once the pause is over.
        treemapDue_ = true;
        ::SetTimer(window_, kTreemapTimer, static_cast<UINT>(kTreemapDepthPauseMs - (now - treemapAskedAt_)),
                   nullptr);
    }
    if (ready && due) {
        treemapGeneration_ = generation_;
        treemapAskedAt_ = now;
        if (newFolder) treemapBelow_.clear();
        treemapFolder_ = folder_;
        std::vector<SizedFolder> subfolders;
        for (const Row* row : rows) {
            if (row->item.IsFolder() && row->sizes.state == SizeState::Known) {
                subfolders.push_back({row->item.path, row->sizes.totals.bytes});
            }
        }
        // What a block of a few pixels of the pane stands for: nothing smaller is asked for.
        RECT pane = {};
        ::GetClientRect(treemap_.Window(), &pane);
        const uint64_t pixels = std::max<uint64_t>(1, uint64_t(pane.right) * uint64_t(pane.bottom));
        treemapWorker_->Queue(TreemapDepthJob(window_, generation_, std::move(subfolders),
                                            view_.FolderSizes().totals.bytes / pixels * 16));
    }
    treemap_.Show(TreemapOfFolder(folder_, view_.FolderSizes(), rows, treemapBelow_));
}

void BrowserWindow::ExportShownList() {
    if (!shown_ || folder_ == kDrivesPath) return;
    std::wstring name = folder_;
    while (!name.empty() && (name.back() == L'\\' || name.back() == L':')) name.pop_back();
    name = name.substr(name.find_last_of(L'\\') + 1);
    ExportList(window_, (name.empty() ? std::wstring(L"Folder") : name) + L".csv", view_.ExportRows());
}

void BrowserWindow::OnCommand(UINT command) {
    switch (command) {
        case ID_FILE_NEW_WINDOW: OpenNewWindow(); break;
        case ID_FILE_CLOSE: ::PostMessageW(window_, WM_CLOSE, 0, 0); break;
        case ID_FILE_EXPORT: ExportShownList(); break;
        case ID_VIEW_TREEMAP:
            treemapShown_ = !treemapShown_;
            ::CheckMenuItem(::GetMenu(window_), ID_VIEW_TREEMAP, treemapShown_ ? MF_CHECKED : MF_UNCHECKED);
            Layout();
            if (treemapShown_) ShowTreemap();
            break;
        case ID_VIEW_COLOUR_BY_TYPE: {
            const bool byType = treemap_.Colouring() != TreemapColouring::ByFileType;
            treemap_.SetColouring(byType ? TreemapColouring::ByFileType : TreemapColouring::ByTopLevel);
            ::CheckMenuItem(::GetMenu(window_), ID_VIEW_COLOUR_BY_TYPE, byType ? MF_CHECKED : MF_UNCHECKED);
            break;
        }
        case ID_VIEW_SHOW_HIDDEN:
            view_.SetShowHidden(!view_.ShowsHidden());
            ::CheckMenuItem(::GetMenu(window_), ID_VIEW_SHOW_HIDDEN,
                            view_.ShowsHidden() ? MF_CHECKED : MF_UNCHECKED);
            UpdateStatus();
            break;
        case ID_VIEW_REFRESH: Refresh({}); break;
        case ID_GO_BACK:
            if (auto target = history_.BackTarget()) Navigate(*target, Move::Back);
            break;
        case ID_GO_FORWARD:
            if (auto target = history_.ForwardTarget()) Navigate(*target, Move::Forward);
            break;
        case ID_GO_UP:
            if (auto above = FolderAbove(folder_); above && shown_) Navigate(*above, Move::New);
            break;
        case ID_GO_DRIVES: Navigate(kDrivesPath, Move::New); break;
        default: break;
    }
}

BOOL BrowserWindow::PreTranslateMessage(MSG* message) {
    if (message->hwnd != window_ && !::IsChild(window_, message->hwnd)) return FALSE;
    const bool inAddress = message->hwnd == bars_.address;
    if (message->message == WM_KEYDOWN) {
        switch (message->wParam) {
            case VK_F5: OnCommand(ID_VIEW_REFRESH); return TRUE;
            case VK_F6:
                MoveFocusBetweenPanes(ShiftHeld());
                return TRUE;
            case VK_TAB:
                if (inAddress || ControlHeld()) return FALSE;
                MoveFocusBetweenPanes(ShiftHeld());
                return TRUE;
            case 'L':
                if (!ControlHeld()) return FALSE;
                FocusAddress();
                return TRUE;
            case 'N':
                if (!ControlHeld()) return FALSE;
                OpenNewWindow();
                return TRUE;
            case VK_RETURN:
                if (!inAddress) return FALSE;
                NavigateToTyped();
                return TRUE;
            case VK_ESCAPE:
                if (!inAddress) return FALSE;
                ShowFolderState();
                ::SetFocus(view_.Window());
                return TRUE;
            case VK_BACK:
                if (message->hwnd != view_.Window()) return FALSE;  // the address box edits
                OnCommand(ID_GO_UP);
                return TRUE;
            case VK_DELETE:
                if (message->hwnd != view_.Window()) return FALSE;
                DeletePaths(SelectedPaths(), ShiftHeld());
                return TRUE;
            case VK_F2:
                if (message->hwnd != view_.Window()) return FALSE;
                StartRename();
                return TRUE;
            default: return FALSE;
        }
    }
    if (message->message == WM_SYSKEYDOWN && AltHeld(message->lParam)) {
        switch (message->wParam) {
            case VK_LEFT: OnCommand(ID_GO_BACK); return TRUE;
            case VK_RIGHT: OnCommand(ID_GO_FORWARD); return TRUE;
            case VK_UP: OnCommand(ID_GO_UP); return TRUE;
            case 'D': FocusAddress(); return TRUE;
            case VK_RETURN:
                if (message->hwnd != view_.Window()) return FALSE;
                ShowProperties(SelectedPaths());
                return TRUE;
            default: return FALSE;
        }
    }
    return FALSE;
}

void BrowserWindow::Navigate(const std::wstring& folder, Move move, RefreshScope scope) {
    pending_ = PendingMove{++generation_, move, std::move(scope)};
    worker_->List(generation_, folder);
    SetStatusText(bars_, StatusPart::Progress, L"Opening " + DisplayName(folder) + L"\u2026");
}

void BrowserWindow::Refresh(RefreshScope scope) {
    if (!shown_) return;
    if (pending_) {
        // Another listing is on its way: this refresh comes after it.
        changed_.everything = changed_.everything || scope.everything;
        changed_.names.insert(scope.names.begin(), scope.names.end());
        changed_.allFolders = changed_.allFolders || scope.allFolders;
        ::SetTimer(window_, kChangeTimer, kChangeQuietMs, nullptr);
        return;
    }
    Navigate(folder_, Move::Refresh, std::move(scope));
}

void BrowserWindow::OnListing(std::unique_ptr<Listing> listing) {
    if (!pending_ || listing->generation != pending_->generation) return;  // superseded
    if (listing->partial) {
        ShowFirstRows(std::move(listing));
        return;
    }
    const PendingMove move = std::move(*pending_);
    pending_.reset();
    if (listing->error != ERROR_SUCCESS) {
        OnListingFailed(*listing, move.move);
        return;
    }
    switch (move.move) {
        case Move::Back: history_.WentBack(); break;
        case Move::Forward: history_.WentForward(); break;
        case Move::Refresh: break;
        case Move::Start:
        case Move::New: history_.Visit(listing->folder); break;
    }
    const bool refresh = move.move == Move::Refresh && listing->folder == folder_;
    // Rows shown from the first items stay, as in a refresh.
    const bool firstRowsShown = std::exchange(firstRowsGeneration_, 0) == listing->generation;
    if (!refresh) {
        folder_ = listing->folder;
        ::KillTimer(window_, kChangeTimer);
        ::KillTimer(window_, kSettleTimer);
        changed_ = RefreshScope{false, {}};
        ++watchGeneration_;
        if (folder_ != kDrivesPath) {
            watch_->Watch(folder_, watchGeneration_);
        } else {
            watch_->Stop();
        }
    }
    shown_ = true;
    const FolderView::Listed listed = refresh          ? FolderView::Listed::Again
                                      : firstRowsShown ? FolderView::Listed::Completed
                                                       : FolderView::Listed::New;
    std::vector<FillItem> fill = view_.Show(std::move(*listing), listed, move.scope);
    worker_->Fill(generation_, std::move(fill), folder_ != kDrivesPath);
    if (!refresh) tree_.Reveal(folder_);
    // The tree's drives are asked for once the first folder shows: their totals may take the
    // server a while, and the list comes first.
    if (!std::exchange(treeRooted_, true)) cacheWorker_->Queue(DrivesJob(window_));
    if (refresh && !move.scope.everything) RefreshTree();
    ShowFolderState();
    UpdateStatus();
    TreemapDue();
}

// The tree's open folders on the open folder's path (above it or below it) are asked again:
// their totals, and which children they have, may have moved with the changes.
void BrowserWindow::RefreshTree() {
    for (const std::wstring& folder : tree_.OpenFolders()) {
        if (folder_ != kDrivesPath && OnOnePath(folder, folder_)) {
            cacheWorker_->Queue(ExpandJob(window_, folder));
        }
    }
}

// The size format may have changed: every size the window formats shows it at once.
void BrowserWindow::ApplySettings() {
    view_.RereadSettings();
    tree_.SetSettings(view_.Settings());
    UpdateStatus();
}

void BrowserWindow::OnHandlerColumns(std::unique_ptr<HandlerColumns> offered) {
    if (offered->generation != generation_) return;
    if (view_.SetOfferedColumns(std::move(offered->columns))) Refresh({});
}

// A large folder's first rows, shown while the rest is listed (only for a folder newly opened:
// a refresh shows the rows it has).
void BrowserWindow::ShowFirstRows(std::unique_ptr<Listing> listing) {
    if (pending_->move == Move::Refresh) return;
    firstRowsGeneration_ = listing->generation;
    view_.Show(std::move(*listing), FolderView::Listed::New, {});
    ::UpdateWindow(view_.Window());
}

void BrowserWindow::OnListingFailed(const Listing& listing, Move move) {
    if (move == Move::Refresh) {
        // The folder shown went away: show the nearest folder above that is still there, and
        // say why.
        Navigate(FolderAbove(listing.folder).value_or(kDrivesPath), Move::New);
        RefreshTree();
        SetStatusText(bars_, StatusPart::Progress,
                      L"\u201C" + DisplayName(listing.folder) + L"\u201D is no longer there");
        return;
    }
    const std::wstring message = L"Trovelle Pro cannot open \"" + DisplayName(listing.folder) +
                                 L"\".\n\n" + SystemErrorText(listing.error);
    ::MessageBoxW(window_, message.c_str(), kProductName, MB_OK | MB_ICONWARNING);
    // The message's own loop may have closed the window (from the taskbar, or a closing
    // program): its workers are gone then.
    if (!worker_) return;
    if (move == Move::Start && !shown_) {
        const std::wstring profile = ProfileFolder();
        Navigate(listing.folder == profile ? std::wstring(kDrivesPath) : profile, Move::Start);
        return;
    }
    // The view stays where it was; what it had not measured yet is asked for again.
    ShowFolderState();
    if (shown_) Navigate(folder_, Move::Refresh, RefreshScope{false, {}});
}

void BrowserWindow::OnCells(std::unique_ptr<CellBatch> batch) {
    if (batch->generation != generation_ || pending_) return;
    view_.ApplyCells(*batch);
    UpdateStatus();
    TreemapDue();
}

void BrowserWindow::OnFolderChanged(std::unique_ptr<FolderChanges> changes) {
    if (changes->generation != watchGeneration_) return;
    changed_.everything = changed_.everything || changes->everything;
    changed_.names.insert(changes->names.begin(), changes->names.end());
    const ULONGLONG now = ::GetTickCount64();
    if (firstChange_ == 0) firstChange_ = now;
    // Each change restarts the quiet time, until the first one has waited long enough.
    if (now - firstChange_ < kChangeLongestWaitMs) {
        ::SetTimer(window_, kChangeTimer, kChangeQuietMs, nullptr);
    }
}

void BrowserWindow::OpenItem(int position) {
    if (position < 0) {
        position = static_cast<int>(::SendMessageW(view_.Window(), LVM_GETNEXTITEM, -1,
                                                   LVNI_FOCUSED | LVNI_SELECTED));
    }
    if (const Row* row = view_.RowAt(position)) OpenPath(row->item.path);
}

void BrowserWindow::NavigateToTyped() {
    const std::optional<std::wstring> folder = FolderPathFrom(WindowText(bars_.address), folder_);
    if (!folder) {
        ShowFolderState();  // nothing usable typed: the box shows the folder again
        return;
    }
    Navigate(*folder, Move::New);
}

void BrowserWindow::FocusAddress() {
    ::SetFocus(bars_.address);
    ::SendMessageW(bars_.address, EM_SETSEL, 0, -1);
}

void BrowserWindow::OpenNewWindow() const {
    wchar_t program[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring arguments = L"\"" + DisplayName(folder_) + L"\"";
    ::ShellExecuteW(window_, nullptr, program, arguments.c_str(), nullptr, SW_SHOWNORMAL);
}

// Title, address box and navigation buttons as the folder shown says.
void BrowserWindow::ShowFolderState() {
    const std::wstring name = DisplayName(folder_);
    ::SetWindowTextW(window_, (name + L" - " + kProductName).c_str());
    ::SetWindowTextW(bars_.address, name.c_str());
    EnableNavigation(bars_, history_.BackTarget().has_value(), history_.ForwardTarget().has_value(),
                     FolderAbove(folder_).has_value());
}

void BrowserWindow::UpdateStatus() {
    const size_t items = view_.ShownCount();
    SetStatusText(bars_, StatusPart::Items,
                  std::to_wstring(items) + (items == 1 ? L" item" : L" items"));
    std::wstring total;
    if (const ItemSizes& folder = view_.FolderSizes(); folder.state == SizeState::Known) {
        total = L"Total: " + ShownSize(folder, false, view_.Settings()) + L", " +
                ShownSize(folder, true, view_.Settings()) + L" on disk";
    }
    SetStatusText(bars_, StatusPart::Total, total);
    const size_t measuring = view_.FoldersBeingMeasured();
    SetStatusText(bars_, StatusPart::Progress,
                  measuring == 0 ? L""
                                 : L"Measuring " + std::to_wstring(measuring) +
                                       (measuring == 1 ? L" folder\u2026" : L" folders\u2026"));
}

void BrowserWindow::SaveState() {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(window_, &placement);
    // Kept where it would have opened but for the other windows: windows opened beside one
    // another, session after session, would otherwise walk off the screen.
    ::OffsetRect(&placement.rcNormalPosition, -cascade_, -cascade_);
    view_.KeepColumnWidths();
    SaveBrowserState(folder_, placement, view_.Widths(), treeWidth_);
}

}  // namespace trovelle::browser
