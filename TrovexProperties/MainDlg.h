// The settings dialog: every setting, the start-with-Windows switch, the cache reset and help.
#pragma once

#include <windows.h>

#include "ACL_Menu.h"
#include "CtlColorHandler.h"
#include "DialogWindow.h"
#include "MessageLoop.h"

namespace trovelle::properties {

// Which page of the help file to open.
enum class HelpTarget { StartPage = 0, ConfiguringTopic = 1 };

// The help file path for a target, beside the program; empty when it would not fit.
std::wstring HelpPath(HelpTarget target);

class CMainDlg : public ui::DialogWindow,
                 public ui::MessageFilter,
                 public ui::IdleHandler,
                 public ui::ACL_CtlColorHandler<CMainDlg, ui::kAllButEditsAndLists> {
public:
    using ui::DialogWindow::Window;

    BOOL PreTranslateMessage(MSG* message) override;
    BOOL OnIdle() override { return FALSE; }

    void OpenHelp(HelpTarget target);

protected:
    bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    friend struct MainDlgMap;

    LRESULT OnInitDialog(WPARAM, LPARAM);
    LRESULT OnMeasureItem(WPARAM, LPARAM);
    LRESULT OnDrawItem(WPARAM, LPARAM);
    LRESULT OnHelp(WPARAM, LPARAM);
    LRESULT OnOk(WPARAM, LPARAM);
    LRESULT OnCancel(WPARAM, LPARAM);
    LRESULT OnEnableCache(WPARAM, LPARAM);
    LRESULT OnResetCache(WPARAM, LPARAM);
    LRESULT OnCacheAll(WPARAM, LPARAM);
    LRESULT OnMenuButton(WPARAM, LPARAM);
    LRESULT OnCharacterFieldEdited(WPARAM, LPARAM);

    void ApplySkin();
    void SetUpHelpMenu();
    void FillLists();
    void LoadSettingsIntoControls();
    void SaveSettingsFromControls();
    void SaveWindowPosition();
    void Close(int exitCode);
    void ShowAbout();
    bool Ask(UINT messageId, UINT style);

    ACL_Menu helpMenu_;
};

}  // namespace trovelle::properties
