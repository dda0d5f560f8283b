#include "BrowserWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "BrowserSettings.h"
#include "FolderListing.h"
#include "FramePaths.h"
#include "ProductNames.h"
#include "SystemErrorText.h"
#include "WindowOwner.h"
#include "resource.h"

namespace trovelle::browser {
namespace {

constexpr UINT_PTR kChangeTimer = 1;
constexpr UINT_PTR kSettleTimer = 2;
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

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring Trimmed(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L' ');
    return first == std::wstring::npos ? std::wstring() : text.substr(first);
}

bool AltHeld(LPARAM lParam) { return (lParam & (1 << 29)) != 0; }
bool ControlHeld() { return ::GetKeyState(VK_CONTROL) < 0; }

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
    if (::CreateWindowExW(0, kBrowserWindowClass, kProductName, WS_OVERLAPPEDWINDOW,
                          work.left + kCascadeStep, work.top + kCascadeStep, width, height,
                          nullptr, nullptr, instance, this) == nullptr) {
        return false;
    }
    PlaceWindow(showCommand);

    // The folder given, else the last one shown; a given one that names nothing: the profile.
    std::optional<std::wstring> start = FolderPathFrom(folder, ProfileFolder());
    if (!start) start = folder.empty() ? ReadLastFolder() : std::nullopt;
    Navigate(start.value_or(ProfileFolder()), Move::Start);
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
            }
            return 0;
        case kListingReady:
            OnListing(TakePosted<Listing>(lParam));
            return 0;
        case kCellsReady:
            OnCells(TakePosted<CellBatch>(lParam));
            return 0;
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
            ::PostQuitMessage(0);
            return 0;
        default:
            if (message == configUpdateMessage_ && configUpdateMessage_ != 0) {
                Refresh({});  // the size format changed: every cell shows it at once
                return 0;
            }
            break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

bool BrowserWindow::CreateChildren() {
    if (!CreateFrameBars(window_, instance_, bars_)) return false;
    if (!view_.Create(window_, instance_, IDC_FOLDER_LIST)) return false;
    ::SendMessageW(view_.Window(), LVM_SETIMAGELIST, LVSIL_SMALL,
                   reinterpret_cast<LPARAM>(SystemSmallIcons()));
    worker_ = std::make_unique<FolderWorker>(window_);
    watch_ = std::make_unique<FolderWatch>(window_);
    browser_ = host::RefreshOnlyBrowser::Make([this] { Refresh({}); });
    if (!browser_) return false;
    bands_.Open(bars_.rebar, browser_.Get());
    ::CheckMenuItem(::GetMenu(window_), ID_VIEW_SHOW_HIDDEN, MF_UNCHECKED);
    EnableNavigation(bars_, false, false, false);
    return true;
}

void BrowserWindow::Layout() {
    RECT client = {};
    ::GetClientRect(window_, &client);
    ::SendMessageW(bars_.rebar, WM_SIZE, 0, 0);
    ::SendMessageW(bars_.status, WM_SIZE, 0, 0);
    LayoutStatusParts(bars_);
    RECT bar = {}, status = {};
    ::GetWindowRect(bars_.rebar, &bar);
    ::GetWindowRect(bars_.status, &status);
    const int top = bar.bottom - bar.top;
    const int bottom = client.bottom - (status.bottom - status.top);
    ::MoveWindow(view_.Window(), 0, top, client.right, std::max(bottom - top, 0), TRUE);
}

LRESULT BrowserWindow::OnNotify(const NMHDR& header) {
    if (header.hwndFrom == bars_.rebar && header.code == RBN_HEIGHTCHANGE) {
        Layout();
        return 0;
    }
    if (header.hwndFrom != view_.Window()) return 0;
    switch (header.code) {
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
        default:
            return 0;
    }
}

void BrowserWindow::OnCommand(UINT command) {
    switch (command) {
        case ID_FILE_NEW_WINDOW: OpenNewWindow(); break;
        case ID_FILE_CLOSE: ::PostMessageW(window_, WM_CLOSE, 0, 0); break;
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
            default: return FALSE;
        }
    }
    if (message->message == WM_SYSKEYDOWN && AltHeld(message->lParam)) {
        switch (message->wParam) {
            case VK_LEFT: OnCommand(ID_GO_BACK); return TRUE;
            case VK_RIGHT: OnCommand(ID_GO_FORWARD); return TRUE;
            case VK_UP: OnCommand(ID_GO_UP); return TRUE;
            case 'D': FocusAddress(); return TRUE;
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
    if (!refresh) {
        folder_ = listing->folder;
        folderTotal_.clear();
        folderOnDisk_.clear();
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
    std::vector<FillItem> fill = view_.Show(std::move(*listing), refresh, move.scope);
    worker_->Fill(generation_, std::move(fill), folder_ != kDrivesPath);
    ShowFolderState();
    UpdateStatus();
}

void BrowserWindow::OnListingFailed(const Listing& listing, Move move) {
    if (move == Move::Refresh) {
        // The folder shown went away: show the nearest folder above that is still there.
        Navigate(FolderAbove(listing.folder).value_or(kDrivesPath), Move::New);
        return;
    }
    const std::wstring message = L"Trovelle Pro cannot open \"" + DisplayName(listing.folder) +
                                 L"\".\n\n" + SystemErrorText(listing.error);
    ::MessageBoxW(window_, message.c_str(), kProductName, MB_OK | MB_ICONWARNING);
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
    if (batch->folderTotal) folderTotal_ = Trimmed(host::ShownText(*batch->folderTotal));
    if (batch->folderOnDisk) folderOnDisk_ = Trimmed(host::ShownText(*batch->folderOnDisk));
    UpdateStatus();
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
    const Row* row = view_.RowAt(position);
    if (row == nullptr) return;
    if (row->item.IsFolder()) {
        Navigate(row->item.path, Move::New);
        return;
    }
    SHELLEXECUTEINFOW execute = {};
    execute.cbSize = sizeof(execute);
    execute.fMask = SEE_MASK_NOASYNC;
    execute.hwnd = window_;
    execute.lpFile = row->item.path.c_str();
    execute.nShow = SW_SHOWNORMAL;
    ::ShellExecuteExW(&execute);  // the shell says itself what went wrong
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
    std::wstring total = folderTotal_.empty() ? L"" : L"Total: " + folderTotal_;
    if (!total.empty() && !folderOnDisk_.empty()) total += L", " + folderOnDisk_ + L" on disk";
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
    SaveBrowserState(folder_, placement, view_.Widths());
}

}  // namespace trovelle::browser
