#include "AboutDlg.h"

#include <windowsx.h>

#include "AppModule.h"
#include "Links.h"
#include "res/resource.h"

namespace trovelle::properties {
namespace {

constexpr COLORREF kBlack = 0x00000000;
constexpr COLORREF kAboutBlue = 0x00EABA9E;  // RGB 158, 186, 234
constexpr COLORREF kLinkBlue = 0x00FF0000;
constexpr int32_t kOwnEverything = static_cast<int32_t>(0xFFFFFFFF);

constexpr int kLabels[] = {IDC_ABOUT_RIGHTS_LABEL, IDC_ABOUT_RIGHTS, IDC_ABOUT_TITLE,
                           IDC_ABOUT_VERSION,      IDC_ABOUT_MAIL_LABEL, IDC_ABOUT_WEB_LABEL,
                           IDC_ABOUT_SUPPORT_LABEL};
constexpr int kLinks[] = {IDC_ABOUT_WEB_LINK, IDC_ABOUT_MAIL_LINK, IDC_ABOUT_SUPPORT_LINK};
// The order in which a hover and a click test the links.
constexpr int kHoverOrder[] = {IDC_ABOUT_WEB_LINK, IDC_ABOUT_MAIL_LINK, IDC_ABOUT_SUPPORT_LINK};
constexpr int kClickOrder[] = {IDC_ABOUT_WEB_LINK, IDC_ABOUT_SUPPORT_LINK, IDC_ABOUT_MAIL_LINK};

const wchar_t* TargetOf(int link) {
    switch (link) {
        case IDC_ABOUT_WEB_LINK: return kWebSiteUrl;
        case IDC_ABOUT_SUPPORT_LINK: return kSupportDeskUrl;
        default: return kSupportMailUrl;
    }
}

POINT ClientPoint(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

struct AboutDlgMap {
    using Entry = ui::MessageMapEntry<CAboutDlg>;
    static constexpr Entry kEntries[] = {
        {WM_INITDIALOG, ui::kAnyId, ui::kAnyCode, &CAboutDlg::OnInitDialog},
        {WM_MOUSEMOVE, ui::kAnyId, ui::kAnyCode, &CAboutDlg::OnMouseMove},
        {WM_LBUTTONUP, ui::kAnyId, ui::kAnyCode, &CAboutDlg::OnLeftButtonUp},
        {WM_COMMAND, IDOK, ui::kAnyCode, &CAboutDlg::OnClose},
        {WM_COMMAND, IDCANCEL, ui::kAnyCode, &CAboutDlg::OnClose},
    };
};

bool CAboutDlg::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return ui::RouteMessage<CAboutDlg>(this, AboutDlgMap::kEntries, message, wParam, lParam,
                                       result) ||
           AnswerCtlColor(message, wParam, lParam, result);
}

BOOL CAboutDlg::PreTranslateMessage(MSG* message) {
    return Window() != nullptr && ::IsDialogMessageW(Window(), message);
}

LRESULT CAboutDlg::OnInitDialog(WPARAM, LPARAM) {
    ui::CenterWindow(Window(), ::GetWindow(Window(), GW_OWNER));
    const HINSTANCE instance = ui::TheModule().Instance();
    ui::SetDialogIcons(Window(), instance, IDI_TROVELLE);
    if (ui::MessageLoop* loop = ui::TheModule().GetMessageLoop()) {
        loop->AddMessageFilter(this);
        loop->AddIdleHandler(this);
    }
    hand_ = ::LoadCursorW(instance, MAKEINTRESOURCEW(IDC_LINK_HAND));

    // The colour handler owns both fonts from here on.
    const HFONT bold = ui::DeriveDialogFont(Window(), FW_BOLD, false);
    const HFONT underline = ui::DeriveDialogFont(Window(), ui::kOwnWeight, true);
    ModifyEntry(ui::kChangeText | ui::kChangeBackground, 0, kBlack, kAboutBlue, nullptr, 0);
    AddControlGroup(kLabels, kBlack, kAboutBlue, bold, kOwnEverything);
    AddControlGroup(kLinks, kLinkBlue, kAboutBlue, underline, kOwnEverything);
    return TRUE;
}

int CAboutDlg::LinkAt(POINT client, const int* order, int count) const {
    for (int i = 0; i < count; ++i) {
        RECT link{};
        const HWND control = Item(order[i]);
        if (control == nullptr || !::GetWindowRect(control, &link)) continue;
        // Exactly the client frame of the mouse point, whatever the border and caption sizes.
        ::MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&link), 2);
        if (::PtInRect(&link, client)) return order[i];
    }
    return 0;
}

LRESULT CAboutDlg::OnMouseMove(WPARAM, LPARAM lParam) {
    if (LinkAt(ClientPoint(lParam), kHoverOrder, 3) != 0) ::SetCursor(hand_);
    return 0;
}

LRESULT CAboutDlg::OnLeftButtonUp(WPARAM, LPARAM lParam) {
    // Links do not overlap, so the first hit is the only one.
    if (const int link = LinkAt(ClientPoint(lParam), kClickOrder, 3)) {
        OpenLink(TargetOf(link));
        ::SetCursor(hand_);
    }
    return 0;
}

LRESULT CAboutDlg::OnClose(WPARAM, LPARAM) {
    if (ui::MessageLoop* loop = ui::TheModule().GetMessageLoop()) {
        loop->RemoveMessageFilter(this);
        loop->RemoveIdleHandler(this);
    }
    ::EndDialog(Window(), 0);
    return 0;
}

}  // namespace trovelle::properties
