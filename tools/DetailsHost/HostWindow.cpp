#include "HostWindow.h"

#include <commctrl.h>

#include "DetailsTable.h"
#include "FolderItems.h"
#include "ScreenCapture.h"

namespace trovelle::host {
namespace {

constexpr int kCharWidth = 8;  // list column widths from the handlers' character counts
constexpr int kNameWidth = 220;
constexpr UINT_PTR kCloseTimer = 1;

int Alignment(const HostColumn& column) {
    switch (column.info.fmt & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT: return LVCFMT_RIGHT;
    case LVCFMT_CENTER: return LVCFMT_CENTER;
    default: return LVCFMT_LEFT;
    }
}

void AddColumn(HWND list, int index, const wchar_t* title, int width, int format) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(title);
    column.iSubItem = index;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void SetCell(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(list, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, row,
                   reinterpret_cast<LPARAM>(&item));
}

}  // namespace

HostWindow::~HostWindow() {
    if (browser_) browser_->Disconnect();
}

int HostWindow::Run() {
    const INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX),
                                           ICC_LISTVIEW_CLASSES | ICC_COOL_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kHostWindowClass;
    if (::RegisterClassExW(&windowClass) == 0) return 4;

    const std::wstring title = L"Trovelle Pro Details - " + folder_;
    if (::CreateWindowExW(0, kHostWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 760,
                          520, nullptr, nullptr, instance, this) == nullptr) {
        return 4;
    }
    if (seconds_ > 0) ::SetTimer(window_, kCloseTimer, seconds_ * 1000, nullptr);
    ::ShowWindow(window_, SW_SHOW);
    ::UpdateWindow(window_);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}

LRESULT CALLBACK HostWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
    auto* self = reinterpret_cast<HostWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<HostWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT HostWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        if (!CreateChildren()) return -1;
        return 0;
    case WM_SIZE:
        Layout();
        return 0;
    case WM_TIMER:
        if (wParam == kCloseTimer) {
            if (!picture_.empty()) SaveScreenPicture(window_, picture_);
            ::DestroyWindow(window_);
        }
        return 0;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->code == RBN_HEIGHTCHANGE) Layout();
        break;
    case WM_DESTROY:
        // Bands leave while their site's window still exists, as in a closing browser.
        bands_.Close();
        browser_->Disconnect();
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

bool HostWindow::CreateChildren() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    rebar_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr,
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                                   RBS_VARHEIGHT | RBS_BANDBORDERS | CCS_NODIVIDER | CCS_TOP,
                               0, 0, 0, 0, window_, nullptr, instance, nullptr);
    list_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr,
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | LVS_REPORT |
                                  LVS_SHOWSELALWAYS,
                              0, 0, 0, 0, window_, nullptr, instance, nullptr);
    if (rebar_ == nullptr || list_ == nullptr) return false;
    ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                   LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);

    browser_ = RefreshOnlyBrowser::Make([this] { FillList(); });
    if (!browser_) return false;
    bands_.Open(rebar_, browser_.Get());
    FillList();
    return true;
}

void HostWindow::Layout() {
    RECT client = {};
    ::GetClientRect(window_, &client);
    ::SendMessageW(rebar_, WM_SIZE, 0, 0);
    RECT bar = {};
    ::GetWindowRect(rebar_, &bar);
    const int top = bar.bottom - bar.top;
    ::MoveWindow(list_, 0, top, client.right, client.bottom - top, TRUE);
}

// Every refresh asks the handlers afresh, titles included, as a reloaded Details view does.
void HostWindow::FillList() {
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    while (::SendMessageW(list_, LVM_DELETECOLUMN, 0, 0) != FALSE) {
    }
    columns_ = LoadColumns(folder_);
    AddColumn(list_, 0, L"Name", kNameWidth, LVCFMT_LEFT);
    for (size_t c = 0; c < columns_.columns.size(); ++c) {
        const HostColumn& column = columns_.columns[c];
        const int width = static_cast<int>(column.info.cChars + 2) * kCharWidth;
        AddColumn(list_, static_cast<int>(c) + 1, column.info.wszTitle, width,
                  Alignment(column));
    }

    bool listed = true;
    const std::vector<ListedItem> items = ListFolder(folder_, listed);
    const CellRows cells = FillCells(columns_, items);
    for (size_t row = 0; row < items.size(); ++row) {
        SetCell(list_, static_cast<int>(row), 0, items[row].name);
        for (size_t c = 0; c < cells[row].size(); ++c) {
            SetCell(list_, static_cast<int>(row), static_cast<int>(c) + 1,
                    ShownText(cells[row][c]));
        }
    }
    if (!listed) SetCell(list_, 0, 0, L"Cannot list " + folder_);
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
}

}  // namespace trovelle::host
