#include "MainDlg.h"

#include "AppModule.h"
#include "CacheServerConnection.h"
#include "ProductSkin.h"
#include "SettingsStore.h"
#include "WindowPlacementStore.h"
#include "res/resource.h"

namespace trovelle::properties {
namespace {

constexpr int kSectionHeaders[] = {IDC_HEADER_SIZE, IDC_HEADER_PERCENT, IDC_HEADER_GLOBAL};
constexpr wchar_t kMessageCaption[] = L"Trovelle Pro";

void Enable(HWND control, bool enabled) { ::EnableWindow(control, enabled ? TRUE : FALSE); }

bool IsChecked(HWND control) { return ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace

struct MainDlgMap {
    using Entry = ui::MessageMapEntry<CMainDlg>;
    static constexpr Entry kEntries[] = {
        {WM_INITDIALOG, ui::kAnyId, ui::kAnyCode, &CMainDlg::OnInitDialog},
        {WM_MEASUREITEM, ui::kAnyId, ui::kAnyCode, &CMainDlg::OnMeasureItem},
        {WM_DRAWITEM, ui::kAnyId, ui::kAnyCode, &CMainDlg::OnDrawItem},
        {WM_HELP, ui::kAnyId, ui::kAnyCode, &CMainDlg::OnHelp},
        {WM_COMMAND, IDOK, ui::kAnyCode, &CMainDlg::OnOk},
        {WM_COMMAND, IDCANCEL, ui::kAnyCode, &CMainDlg::OnCancel},
        {WM_COMMAND, IDC_ENABLE_CACHE, BN_CLICKED, &CMainDlg::OnEnableCache},
        {WM_COMMAND, IDC_RESET_CACHE, BN_CLICKED, &CMainDlg::OnResetCache},
        {WM_COMMAND, IDC_CACHE_ALL, BN_CLICKED, &CMainDlg::OnCacheAll},
        {WM_COMMAND, IDC_MENU_BUTTON, BN_CLICKED, &CMainDlg::OnMenuButton},
        {WM_COMMAND, IDC_SEPARATOR, CBN_EDITCHANGE, &CMainDlg::OnCharacterFieldEdited},
        {WM_COMMAND, IDC_PB_SYMBOL, CBN_EDITCHANGE, &CMainDlg::OnCharacterFieldEdited},
    };
};

bool CMainDlg::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return ui::RouteMessage<CMainDlg>(this, MainDlgMap::kEntries, message, wParam, lParam,
                                      result) ||
           AnswerCtlColor(message, wParam, lParam, result);
}

BOOL CMainDlg::PreTranslateMessage(MSG* message) {
    return Window() != nullptr && ::IsDialogMessageW(Window(), message);
}

LRESULT CMainDlg::OnInitDialog(WPARAM, LPARAM) {
    ui::CenterWindow(Window(), nullptr);
    ui::SetDialogIcons(Window(), ui::TheModule().Instance(), IDI_TROVELLE);
    if (ui::MessageLoop* loop = ui::TheModule().GetMessageLoop()) {
        loop->AddMessageFilter(this);
        loop->AddIdleHandler(this);
    }
    ApplySkin();
    SetUpHelpMenu();
    FillLists();
    // The title is stored in a 260-character buffer with its terminator.
    ::SendMessageW(Item(IDC_COLUMN_TITLE), EM_LIMITTEXT, MAX_PATH - 1, 0);
    LoadSettingsIntoControls();
    return TRUE;
}

void CMainDlg::ApplySkin() { ui::ApplySettingsSkin(*this, Window(), kSectionHeaders); }

LRESULT CMainDlg::OnMeasureItem(WPARAM, LPARAM lParam) {
    helpMenu_.MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    return 0;
}

LRESULT CMainDlg::OnDrawItem(WPARAM, LPARAM lParam) {
    helpMenu_.DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return 0;
}

LRESULT CMainDlg::OnOk(WPARAM, LPARAM) {
    SaveSettingsFromControls();
    Close(IDOK);
    return 0;
}

LRESULT CMainDlg::OnCancel(WPARAM, LPARAM) {
    Close(IDCANCEL);
    return 0;
}

void CMainDlg::Close(int exitCode) {
    SaveWindowPosition();
    if (ui::MessageLoop* loop = ui::TheModule().GetMessageLoop()) {
        loop->RemoveMessageFilter(this);
        loop->RemoveIdleHandler(this);
    }
    ::DestroyWindow(Window());
    ::PostQuitMessage(exitCode);
}

void CMainDlg::SaveWindowPosition() {
    CWindowPlacementStore(HKEY_CURRENT_USER, kSettingsKeyPath)
        .SavePlacement(Window(), L"WindowSubPos", false, true);
}

bool CMainDlg::Ask(UINT messageId, UINT style) {
    wchar_t text[256] = {};
    ::LoadStringW(ui::TheModule().Instance(), messageId, text, 256);
    return ::MessageBoxW(Window(), text, kMessageCaption, style | MB_YESNO) == IDYES;
}

LRESULT CMainDlg::OnEnableCache(WPARAM, LPARAM) {
    const HWND box = Item(IDC_ENABLE_CACHE);
    const HWND reset = Item(IDC_RESET_CACHE);
    if (IsChecked(box)) {
        Enable(reset, true);
    } else if (Ask(IDS_ASK_DISABLE_CACHE, MB_ICONWARNING)) {
        Enable(reset, false);
    } else {
        ::SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
    }
    return 0;
}

LRESULT CMainDlg::OnResetCache(WPARAM, LPARAM) {
    const HWND reset = Item(IDC_RESET_CACHE);
    // Disabled while it works: the synchronous call must not be started twice.
    Enable(reset, false);
    if (Ask(IDS_ASK_RESET_CACHE, MB_ICONQUESTION)) ResetRunningCache();
    Enable(reset, true);
    return 0;
}

LRESULT CMainDlg::OnCacheAll(WPARAM, LPARAM) {
    Enable(Item(IDC_ENABLE_SPLASH), IsChecked(Item(IDC_CACHE_ALL)));
    return 0;
}

LRESULT CMainDlg::OnCharacterFieldEdited(WPARAM wParam, LPARAM) {
    const HWND field = Item(LOWORD(wParam));
    wchar_t text[32] = {};
    if (::GetWindowTextW(field, text, 32) > 1) {
        text[1] = L'\0';
        ::SetWindowTextW(field, text);
        // Keep typing after the one character that stays.
        ::SendMessageW(field, CB_SETEDITSEL, 0, MAKELPARAM(1, 1));
    }
    return 0;
}

}  // namespace trovelle::properties
