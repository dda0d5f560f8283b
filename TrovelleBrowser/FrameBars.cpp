#include "FrameBars.h"

#include <commctrl.h>

#include "resource.h"

namespace trovelle::browser {
namespace {

constexpr int kAddressMinimum = 260;

HWND CreateNavigationToolbar(HWND rebar, HINSTANCE instance) {
    const HWND toolbar = ::CreateWindowExW(
        0, TOOLBARCLASSNAMEW, nullptr,
        WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
            CCS_NODIVIDER | CCS_NOPARENTALIGN,
        0, 0, 0, 0, rebar, reinterpret_cast<HMENU>(IDC_NAVIGATION), instance, nullptr);
    if (toolbar == nullptr) return nullptr;
    ::SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageW(toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);
    // The system's own pictures: history arrows, and the folder-up arrow after them.
    ::SendMessageW(toolbar, TB_LOADIMAGES, IDB_HIST_SMALL_COLOR,
                   reinterpret_cast<LPARAM>(HINST_COMMCTRL));
    const auto images =
        reinterpret_cast<HIMAGELIST>(::SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0));
    const int viewOffset = images != nullptr ? ::ImageList_GetImageCount(images) : 0;
    ::SendMessageW(toolbar, TB_LOADIMAGES, IDB_VIEW_SMALL_COLOR,
                   reinterpret_cast<LPARAM>(HINST_COMMCTRL));
    TBBUTTON buttons[] = {
        {HIST_BACK, ID_GO_BACK, 0, BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT, {},
         0, reinterpret_cast<INT_PTR>(L"Back")},
        {HIST_FORWARD, ID_GO_FORWARD, 0, BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT, {}, 0,
         reinterpret_cast<INT_PTR>(L"Forward")},
        {viewOffset + VIEW_PARENTFOLDER, ID_GO_UP, 0, BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT, {}, 0,
         reinterpret_cast<INT_PTR>(L"Up")},
    };
    ::SendMessageW(toolbar, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
    ::SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
    return toolbar;
}

void AddBand(HWND rebar, HWND child, const wchar_t* text, int width, int minimum, int height) {
    REBARBANDINFOW band = {};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_SIZE;
    band.fStyle = RBBS_CHILDEDGE | RBBS_NOGRIPPER;
    band.hwndChild = child;
    band.cxMinChild = static_cast<UINT>(minimum);
    band.cyMinChild = static_cast<UINT>(height);
    band.cx = static_cast<UINT>(width);
    if (text != nullptr) {
        band.fMask |= RBBIM_TEXT;
        band.lpText = const_cast<wchar_t*>(text);
    }
    ::SendMessageW(rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

}  // namespace

bool CreateFrameBars(HWND frame, HINSTANCE instance, FrameBars& bars) {
    bars.rebar = ::CreateWindowExW(
        WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr,
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
            RBS_BANDBORDERS | CCS_NODIVIDER | CCS_TOP,
        0, 0, 0, 0, frame, reinterpret_cast<HMENU>(IDC_REBAR), instance, nullptr);
    bars.status = ::CreateWindowExW(0, STATUSCLASSNAMEW, nullptr,
                                    WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, frame,
                                    reinterpret_cast<HMENU>(IDC_STATUS), instance, nullptr);
    if (bars.rebar == nullptr || bars.status == nullptr) return false;
    bars.navigation = CreateNavigationToolbar(bars.rebar, instance);
    bars.address = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", nullptr,
                                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0,
                                     0, bars.rebar, reinterpret_cast<HMENU>(IDC_ADDRESS), instance,
                                     nullptr);
    if (bars.navigation == nullptr || bars.address == nullptr) return false;
    ::SendMessageW(bars.address, WM_SETFONT, ::SendMessageW(bars.status, WM_GETFONT, 0, 0), FALSE);

    SIZE toolbarSize = {};
    ::SendMessageW(bars.navigation, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&toolbarSize));
    AddBand(bars.rebar, bars.navigation, nullptr, toolbarSize.cx, toolbarSize.cx, toolbarSize.cy);
    AddBand(bars.rebar, bars.address, L"Address", 2000, kAddressMinimum, 22);
    return true;
}

void EnableNavigation(const FrameBars& bars, bool back, bool forward, bool up) {
    ::SendMessageW(bars.navigation, TB_ENABLEBUTTON, ID_GO_BACK, MAKELPARAM(back, 0));
    ::SendMessageW(bars.navigation, TB_ENABLEBUTTON, ID_GO_FORWARD, MAKELPARAM(forward, 0));
    ::SendMessageW(bars.navigation, TB_ENABLEBUTTON, ID_GO_UP, MAKELPARAM(up, 0));
}

void SetStatusText(const FrameBars& bars, StatusPart part, const std::wstring& text) {
    ::SendMessageW(bars.status, SB_SETTEXTW, static_cast<WPARAM>(part),
                   reinterpret_cast<LPARAM>(text.c_str()));
}

void LayoutStatusParts(const FrameBars& bars) {
    RECT client = {};
    ::GetClientRect(bars.status, &client);
    const int width = client.right;
    const int parts[] = {width / 4, width / 2 + width / 8, -1};
    ::SendMessageW(bars.status, SB_SETPARTS, std::size(parts), reinterpret_cast<LPARAM>(parts));
}

}  // namespace trovelle::browser
