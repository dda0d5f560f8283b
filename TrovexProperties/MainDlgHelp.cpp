// The settings dialog's help: the Menu button's popup, F1 and the About box.
#include "AboutDlg.h"
#include "AppModule.h"
#include "HtmlHelpViewer.h"
#include "Links.h"
#include "MainDlg.h"
#include "ProgramFolder.h"
#include "res/resource.h"

namespace trovelle::properties {

std::wstring HelpPath(HelpTarget target) {
    const wchar_t* suffix = target == HelpTarget::StartPage
                                ? L"\\TrovellePro.chm"
                                : L"\\TrovellePro.chm::/configuring trovellepro.html#part2";
    return BesideProgram(suffix).value_or(std::wstring());
}

void CMainDlg::OpenHelp(HelpTarget target) {
    const std::wstring path = HelpPath(target);
    if (path.empty()) return;  // a program folder too deep for a help path
    ShowHtmlHelp(Window(), path.c_str(), kHelpDisplayTopic, 0);
}

LRESULT CMainDlg::OnHelp(WPARAM, LPARAM) {
    OpenHelp(HelpTarget::ConfiguringTopic);
    return TRUE;
}

void CMainDlg::SetUpHelpMenu() {
    helpMenu_.Load(ui::TheModule().Instance(), IDR_HELP_MENU, IDR_HELP_ICON_LIST, IDB_HELP_ICONS,
                   Window(), FALSE);
    helpMenu_.SetImageSize(16, 16, -2, -2);
    helpMenu_.SetColors(ProductMenuPalette());
}

LRESULT CMainDlg::OnMenuButton(WPARAM, LPARAM) {
    const HMENU popup = ::GetSubMenu(helpMenu_.GetMenu(), 0);
    if (popup == nullptr) return 0;
    RECT button{};
    ::GetWindowRect(Item(IDC_MENU_BUTTON), &button);
    const UINT command = static_cast<UINT>(::TrackPopupMenu(
        popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, button.left, button.bottom, 0, Window(), nullptr));
    switch (command) {
        case ID_HELP_HELP: OpenHelp(HelpTarget::StartPage); break;
        case ID_HELP_KARVANESITE: OpenLink(kWebSiteUrl); break;
        case ID_HELP_SUPPORTDESK: OpenLink(kSupportDeskUrl); break;
        case ID_HELP_ABOUT: ShowAbout(); break;
        default: break;  // dismissed, or nothing of ours
    }
    return 0;
}

void CMainDlg::ShowAbout() {
    CAboutDlg about;
    about.DoModal(ui::TheModule().Instance(), IDD_ABOUT, Window());
}

}  // namespace trovelle::properties
