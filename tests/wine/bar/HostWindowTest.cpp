// The band in Trovelle Pro's window, worked from outside as a user would: the menu drops down
// over the window (a picture of it is kept), a choice changes the registry and the window's list
// shows the new unit.
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <string>

#include "BarTestSupport.h"
#include "BrowserProcess.h"
#include "Eventually.h"
#include "WideText.h"
#include "Screenshot.h"
#include "UniqueHandle.h"
#include <gtest/gtest.h>

namespace trovelle::test {
namespace {

using driver::BrowserProcess;

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The size text of Documents in the window, once measured.
std::wstring DocumentsSize(const BrowserProcess& browser) {
    return browser.Cell(browser.RowNamed(L"Documents"), browser.ColumnNamed(L"Size"));
}

TEST(HostWindow, ChoosingGBytesInTheBandsMenuRedrawsTheSizes) {
    ClearSettings();
    BrowserProcess browser(L"D:\\Sample");
    ASSERT_NE(browser.Window(), nullptr) << "the window did not appear";
    const HWND toolbar = browser.Child(TOOLBARCLASSNAMEW, L"TrovellePro Toolbar");
    ASSERT_NE(toolbar, nullptr) << "the band is not docked in the window's rebar";
    const HWND band = ::GetParent(toolbar);
    EXPECT_EQ(::SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 1);
    ASSERT_TRUE(browser.WaitUntilMeasured());
    EXPECT_TRUE(EndsWith(DocumentsSize(browser), L" KB"))
        << ::testing::PrintToString(ToUtf8(DocumentsSize(browser)));

    BroadcastListener listener;
    ::PostMessageW(band, WM_COMMAND, MAKEWPARAM(kToolbarButton, 0), reinterpret_cast<LPARAM>(toolbar));
    const HWND menu = WaitForMenu();
    ASSERT_NE(menu, nullptr) << "the menu did not drop down";
    ::Sleep(300);
    // GBytes is the third item: the first Down highlights the (grey) header.
    for (int step = 0; step < 3; ++step) {
        PostKey(menu, VK_DOWN);
        ::Sleep(150);
    }
    SaveScreenshot(browser.Window(), L"settings-menu");  // the menu lies over the window's list
    EXPECT_EQ(::SendMessageW(toolbar, TB_GETSTATE, kToolbarButton, 0), TBSTATE_ENABLED | TBSTATE_PRESSED);
    PostKey(menu, VK_RETURN);
    ASSERT_TRUE(WaitForMenuClosed());

    // The band refreshes the window's view, which measures its cells again in the background.
    EXPECT_TRUE(BecomesTrueWithin(std::chrono::seconds(10),
                                  [&] { return EndsWith(DocumentsSize(browser), L" GB"); }))
        << ::testing::PrintToString(ToUtf8(DocumentsSize(browser)));
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    EXPECT_EQ(StoredBytes(L"ViewMetric"), (std::vector<BYTE>{3, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(listener.Count(), 1);
    EXPECT_EQ(listener.LastWParam(), 1u);
    ClearSettings();
}

TEST(HostWindow, ClosesCleanlyWithItsBands) {
    BrowserProcess browser(L"D:\\Sample");
    ASSERT_NE(browser.Window(), nullptr);
    ASSERT_TRUE(browser.Close());
    EXPECT_EQ(browser.ExitCode(), 0u) << "the bands were detached and released without a crash";
}

}  // namespace
}  // namespace trovelle::test
