#include "DialogWindow.h"

#include <algorithm>

#include "WindowOwner.h"

namespace trovelle::ui {
namespace {

// Messages whose result a dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return true;
        default:
            return false;
    }
}

}  // namespace

DialogWindow::~DialogWindow() {
    if (window_ == nullptr) return;
    // The derived part is gone already: the window's last messages must not reach it.
    ::SetWindowLongPtrW(window_, DWLP_USER, 0);
    ::DestroyWindow(window_);
}

HWND DialogWindow::Create(HINSTANCE instance, int templateId, HWND parent) {
    return ::CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), parent, DialogProc,
                                reinterpret_cast<LPARAM>(this));
}

INT_PTR DialogWindow::DoModal(HINSTANCE instance, int templateId, HWND parent) {
    return ::DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), parent, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK DialogWindow::DialogProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
    DialogWindow* self = OwnerOfDialog<DialogWindow>(window, message, lParam);
    if (self == nullptr) return FALSE;  // messages before WM_INITDIALOG (WM_SETFONT)
    if (message == WM_INITDIALOG) self->window_ = window;

    LRESULT result = 0;
    const bool handled = self->ProcessMessage(message, wParam, lParam, result);
    if (message == WM_NCDESTROY) self->window_ = nullptr;
    if (!handled) return FALSE;
    if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

void CenterWindow(HWND window, HWND over) {
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT target = area;
    if (over != nullptr) ::GetWindowRect(over, &target);
    RECT own{};
    ::GetWindowRect(window, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    int left = (target.left + target.right - width) / 2;
    int top = (target.top + target.bottom - height) / 2;
    // Kept inside the work area as far as the window fits.
    left = std::max<int>(area.left, std::min<int>(left, area.right - width));
    top = std::max<int>(area.top, std::min<int>(top, area.bottom - height));
    ::SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetDialogIcons(HWND window, HINSTANCE instance, int iconId) {
    // Icons loaded from resources with LR_SHARED belong to the system: nothing to free.
    const auto load = [&](int widthMetric, int heightMetric) {
        return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                               ::GetSystemMetrics(widthMetric),
                                               ::GetSystemMetrics(heightMetric), LR_SHARED));
    };
    ::SendMessageW(window, WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(load(SM_CXICON, SM_CYICON)));
    ::SendMessageW(window, WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(load(SM_CXSMICON, SM_CYSMICON)));
}

HFONT DeriveDialogFont(HWND window, LONG weight, bool underline) {
    auto font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
    if (font == nullptr) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW description{};
    if (::GetObjectW(font, sizeof(description), &description) == 0) return nullptr;
    if (weight != kOwnWeight) description.lfWeight = weight;
    description.lfUnderline = underline ? 1 : 0;
    return ::CreateFontIndirectW(&description);
}

}  // namespace trovelle::ui
