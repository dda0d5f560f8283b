// The help menu and the About box, driven in the running program.
#include <windows.h>

#include <gtest/gtest.h>

#include "PropertiesDriver.h"
#include "Screenshot.h"
#include "res/resource.h"

namespace trovelle::test {
namespace {

// Opens the Menu button's popup and picks its last item, "About".
HWND OpenAbout(PropertiesProgram& program) {
    program.PostClick(IDC_MENU_BUTTON);
    const HWND menu = WaitForWindow(program.ProcessId(), L"#32768", nullptr);
    if (menu == nullptr) return nullptr;
    ::Sleep(200);
    ::PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);
    ::PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    return WaitForWindow(program.ProcessId(), L"#32770", kAboutCaption);
}

TEST(AboutBox, OpensFromTheMenuAgainAndAgainAndLeavesTheSettingsAlone) {
    DeleteSettingsKey();
    PropertiesProgram program;
    ASSERT_NE(program.Dialog(), nullptr);
    SaveScreenshot(program.Dialog(), L"settings-dialog-skin");
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const HWND about = OpenAbout(program);
        ASSERT_NE(about, nullptr);
        EXPECT_FALSE(::IsWindowEnabled(program.Dialog())) << "modal over the settings dialog";
        wchar_t text[64] = {};
        ::GetDlgItemTextW(about, IDC_ABOUT_VERSION, text, 64);
        EXPECT_STREQ(text, L"Version 4.15");
        ::GetDlgItemTextW(about, IDC_ABOUT_WEB_LINK, text, 64);
        EXPECT_NE(std::wstring(text).find(L"example.com"), std::wstring::npos);
        if (round == 0) SaveScreenshot(about, L"about-box");
        ::PostMessageW(about, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(about); }));
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(program.Dialog()) != FALSE; }));
    }
    EXPECT_EQ(program.Selection(IDC_VIEW_METRIC), 1);
    program.Click(IDCANCEL);
    EXPECT_EQ(program.WaitForExit(), 2);
    EXPECT_FALSE(ReadSetting(L"ViewMetric")) << "nothing but the position is stored";
    DeleteSettingsKey();
}

TEST(AboutBox, DismissingTheMenuDoesNothing) {
    DeleteSettingsKey();
    PropertiesProgram program;
    ASSERT_NE(program.Dialog(), nullptr);
    program.PostClick(IDC_MENU_BUTTON);
    const HWND menu = WaitForWindow(program.ProcessId(), L"#32768", nullptr);
    ASSERT_NE(menu, nullptr);
    SaveScreenshot(menu, L"help-menu");
    ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(menu); }));
    EXPECT_EQ(WaitForWindow(program.ProcessId(), L"#32770", kAboutCaption, 500), nullptr);
    program.Click(IDOK);
    EXPECT_EQ(program.WaitForExit(), 1);
    DeleteSettingsKey();
}

}  // namespace
}  // namespace trovelle::test

namespace trovelle::test {
namespace {

// HTML Help's window (class "HH Parent") belongs to the program that asked for it.
HWND WaitForHelpWindow(DWORD processId) {
    return WaitForWindow(processId, L"HH Parent", nullptr, 8000);
}

TEST(HelpWindow, F1AndHelpIndexOpenTheHelpFile) {
    DeleteSettingsKey();
    {
        PropertiesProgram program;
        ASSERT_NE(program.Dialog(), nullptr);
        // The F1 key itself, pressed while the settings dialog has the keyboard.
        PressKeyIn(program.Dialog(), VK_F1);
        const HWND help = WaitForHelpWindow(program.ProcessId());
        ASSERT_NE(help, nullptr) << "F1 opens the help file";
        SaveScreenshot(help, L"help-configuring");
        program.Click(IDCANCEL);
        EXPECT_EQ(program.WaitForExit(), 2);
    }
    PropertiesProgram program;
    ASSERT_NE(program.Dialog(), nullptr);
    program.PostClick(IDC_MENU_BUTTON);
    const HWND menu = WaitForWindow(program.ProcessId(), L"#32768", nullptr);
    ASSERT_NE(menu, nullptr);
    ::Sleep(200);
    ::PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_NE(WaitForHelpWindow(program.ProcessId()), nullptr) << "Help index opens it too";
    program.Click(IDCANCEL);
    EXPECT_EQ(program.WaitForExit(), 2);
    DeleteSettingsKey();
}

}  // namespace
}  // namespace trovelle::test
