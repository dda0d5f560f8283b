#include "SettingsMenu.h"

#include <commctrl.h>

#include "BandWindow.h"
#include "BarCommands.h"
#include "CacheServerConnection.h"
#include "MenuChoices.h"
#include "ResourceIds.h"
#include "SettingsStore.h"

namespace trovelle {
namespace {

// A window that does not answer may hold the broadcast up no longer than this.
constexpr UINT kBroadcastTimeoutMs = 200;

void ShowButtonPressed(HWND toolbar, bool pressed) {
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_STATE;
    info.fsState = static_cast<BYTE>(TBSTATE_ENABLED | (pressed ? TBSTATE_PRESSED : 0));
    ::SendMessageW(toolbar, TB_SETBUTTONINFOW, ID_TOOLBAR_BUTTON, reinterpret_cast<LPARAM>(&info));
}

int64_t StoredValue(const SettingsKey& key, Setting setting) {
    if (setting == Setting::Separator) {
        return key.ReadCharacter(setting, SettingsReader::TrovexBar);
    }
    return key.ReadInteger(setting, SettingsReader::TrovexBar);
}

void ShowCurrentSettings(HMENU menu, const SettingsKey& key) {
    for (const MenuChoice& choice : MenuChoices()) {
        ::CheckMenuItem(menu, choice.command, MF_BYCOMMAND | MF_UNCHECKED);
    }
    for (Setting setting : {Setting::ViewStyle, Setting::ViewMetric, Setting::DecimalDigits,
                            Setting::Separator}) {
        // A value no item stands for (out of range, an unlisted separator) checks nothing.
        if (UINT command = CommandShowing(setting, StoredValue(key, setting))) {
            ::CheckMenuItem(menu, command, MF_BYCOMMAND | MF_CHECKED);
        }
    }
}

void Store(const SettingsKey& key, const MenuChoice& choice) {
    if (choice.setting == Setting::Separator) {
        key.WriteCharacter(choice.setting, static_cast<wchar_t>(choice.value));
    } else {
        key.WriteInteger(choice.setting, choice.value);
    }
}

void AnnounceChange(const CBandWindow& band) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, band.ConfigUpdateMessage(), 1, 0,
                          SMTO_NORMAL | SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, &ignored);
    if (IWebBrowser2* browser = band.Browser()) browser->Refresh();
}

}  // namespace

LRESULT ShowSettingsMenu(CBandWindow& band) {
    const HMENU popup = ::GetSubMenu(band.Menu().GetMenu(), 0);
    RECT toolbar = {};
    ::GetWindowRect(band.Toolbar(), &toolbar);

    const SettingsKey key = SettingsKey::OpenForWriting(KEY_READ | KEY_WRITE);
    if (!key) return 0;
    ShowButtonPressed(band.Toolbar(), true);

    UINT command = 0;
    if (popup != nullptr) {
        ShowCurrentSettings(popup, key);
        command = static_cast<UINT>(::TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                     toolbar.left, toolbar.bottom, 0,
                                                     band.Handle(), nullptr));
    }

    if (const MenuChoice* choice = ChoiceOf(command)) {
        Store(key, *choice);
        AnnounceChange(band);
    } else if (command == ID_MENU_PROPERTIES) {
        OpenSettingsProgram();
    } else if (command == ID_MENU_RESETCACHE) {
        ResetRunningCache();
    }

    ShowButtonPressed(band.Toolbar(), false);
    return 0;
}

}  // namespace trovelle
