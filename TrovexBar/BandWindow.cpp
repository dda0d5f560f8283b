#include "BandWindow.h"

#include <commctrl.h>

#include <cstdio>

#include "CommonControls6.h"
#include "ProductNames.h"
#include "Registrar.h"
#include "ResourceIds.h"
#include "SettingsMenu.h"
#include "WindowOwner.h"

namespace trovelle {
namespace {

constexpr DWORD kBandStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kToolbarStyle = kBandStyle | WS_TABSTOP | TBSTYLE_FLAT | CCS_NODIVIDER |
                                CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NOMOVEY | CCS_TOP;
constexpr int kToolbarWidth = 32;
constexpr int kToolbarHeight = 26;

// The class name carries this module's address, so two copies of the library never share one.
const wchar_t* BandWindowClassName() {
    static wchar_t name[64] = {};
    if (name[0] == 0) {
        std::swprintf(name, 64, L"TrovellePro.BandWindow.%p", static_cast<void*>(ThisModule()));
    }
    return name;
}

ATOM g_bandClass = 0;

bool RegisterBandWindowClass(WNDPROC procedure) {
    if (g_bandClass != 0) return true;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ThisModule();
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = BandWindowClassName();
    g_bandClass = ::RegisterClassExW(&windowClass);
    return g_bandClass != 0;
}

RECT ClientArea(HWND window) {
    RECT area = {};
    ::GetClientRect(window, &area);
    return area;
}

}  // namespace

void UnregisterBandWindowClass() {
    if (g_bandClass != 0) ::UnregisterClassW(BandWindowClassName(), ThisModule());
    g_bandClass = 0;
}

CBandWindow::CBandWindow()
    : configUpdateMessage_(::RegisterWindowMessageW(kConfigUpdateMessageName)) {}

CBandWindow::~CBandWindow() {
    if (::IsWindow(toolbar_)) ::DestroyWindow(toolbar_);
    if (::IsWindow(window_)) ::DestroyWindow(window_);
    // imageList_ and menu_ go with their members, after both windows are gone.
}

bool CBandWindow::Create(HWND parent) {
    const CommonControls6Scope controls;
    if (!RegisterBandWindowClass(WindowProc)) return false;
    const RECT area = ClientArea(parent);
    const HWND created = ::CreateWindowExW(0, BandWindowClassName(), nullptr, kBandStyle,
                                           area.left, area.top, area.right - area.left,
                                           area.bottom - area.top, parent, nullptr, ThisModule(),
                                           this);
    if (created == nullptr) return false;
    ::SetWindowLongW(window_, GWL_STYLE, kBandStyle | WS_TABSTOP);
    return ::IsWindow(window_) != FALSE;
}

bool CBandWindow::MoveTo(HWND parent) {
    if (!::IsWindow(window_)) return false;
    if (::SetParent(window_, parent) == nullptr) return false;
    const RECT area = ClientArea(parent);
    ::MoveWindow(window_, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 TRUE);
    return true;
}

LRESULT CALLBACK CBandWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
    CBandWindow* self = ui::OwnerOfPlainWindow<CBandWindow>(window, message, lParam);
    if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCCREATE) self->window_ = window;
    if (message == WM_NCDESTROY) {
        self->window_ = nullptr;
        self->toolbar_ = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT CBandWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        SetUp();
        break;
    case WM_ERASEBKGND: {
        const UniqueBrush face(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE)));
        RECT area = ClientArea(window_);
        if (face) ::FillRect(reinterpret_cast<HDC>(wParam), &area, face.Get());
        return 1;
    }
    case WM_DRAWITEM:
        menu_.DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return 0;
    case WM_MEASUREITEM:
        menu_.MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == ID_TOOLBAR_BUTTON && HIWORD(wParam) == 0) {
            return ShowSettingsMenu(*this);
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

// A failure here leaves an empty or partial toolbar, or a menu that shows nothing; the band
// stays usable as a window either way.
void CBandWindow::SetUp() {
    const auto instance =
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(window_, GWLP_HINSTANCE));
    CreateToolbar(instance);
    SetUpMenu(instance);
}

void CBandWindow::CreateToolbar(HINSTANCE instance) {
    const INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    toolbar_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, TOOLBARCLASSNAMEW, L"TrovellePro Toolbar",
                                 kToolbarStyle, 0, 0, kToolbarWidth, kToolbarHeight, window_,
                                 nullptr, instance, this);
    if (toolbar_ == nullptr) return;
    ::SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageW(toolbar_, TB_SETBITMAPSIZE, 0, MAKELONG(26, 20));

    imageList_.Reset(::ImageList_Create(24, 20, ILC_COLOR16 | ILC_MASK, 0, 1));
    const UniqueBitmap button(::LoadBitmapW(instance, MAKEINTRESOURCEW(IDB_TOOLBAR_BUTTON)));
    if (imageList_ && button) ::ImageList_AddMasked(imageList_.Get(), button.Get(), CLR_DEFAULT);
    ::SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(imageList_.Get()));
    ::SendMessageW(toolbar_, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(imageList_.Get()));

    TBBUTTON settings = {};
    settings.iBitmap = 0;
    settings.idCommand = ID_TOOLBAR_BUTTON;
    settings.fsState = TBSTATE_ENABLED;
    settings.fsStyle = BTNS_BUTTON;
    settings.iString = -1;
    ::SendMessageW(toolbar_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&settings));
}

void CBandWindow::SetUpMenu(HINSTANCE instance) {
    menu_.SetImageSize(14, 14, -2, -2);
    menu_.Load(instance, IDR_SETTINGS_MENU, IDR_MENU_ICON_LIST, IDB_MENU_ICONS, window_, FALSE);
    menu_.SetCheckBitmap(::LoadBitmapW(instance, MAKEINTRESOURCEW(IDB_MENU_CHECK)), FALSE);
    menu_.SetColors(ProductMenuPalette());
}

}  // namespace trovelle
