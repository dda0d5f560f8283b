// The band in the Details-view host's window, worked from outside as a user would: the menu
// drops down over the host (a picture of it is kept), a choice changes the registry and the
// host's list shows the new unit.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "BarTestSupport.h"
#include "HostProcess.h"
#include "Screenshot.h"
#include "UniqueHandle.h"
#include <gtest/gtest.h>

namespace trovelle::test {
namespace {

constexpr wchar_t kHost[] = L"C:\\Program Files\\Trovelle Pro\\Tools\\DetailsHost.exe";

// The row of `name` in the list, or -1.
int RowOf(const HostProcess& host, HWND list, const wchar_t* name) {
    const int rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        if (host.Cell(list, row, 0) == name) return row;
    }
    return -1;
}

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(HostWindow, ChoosingGBytesInTheBandsMenuRedrawsTheSizes) {
    ClearSettings();
    HostProcess host(kHost, L"D:\\Sample");
    ASSERT_NE(host.Window(), nullptr) << "the host window did not appear";
    const HWND list = host.WaitForChild(WC_LISTVIEWW, nullptr);
    const HWND toolbar = host.WaitForChild(TOOLBARCLASSNAMEW, L"TrovellePro Toolbar");
    ASSERT_NE(list, nullptr);
    ASSERT_NE(toolbar, nullptr) << "the band is not docked in the host's rebar";
    const HWND band = ::GetParent(toolbar);
    EXPECT_EQ(::SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 1);

    // The window exists from the start of its creation; the list is filled during it.
    for (int waited = 0; waited < 10000 && ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 0;
         waited += 50) {
        ::Sleep(50);
    }
    const int row = RowOf(host, list, L"Documents");
    ASSERT_GE(row, 0) << ::testing::PrintToString(host.Cell(list, 0, 0));
    EXPECT_TRUE(EndsWith(host.Cell(list, row, 1), L" KB")) << ::testing::PrintToString(host.Cell(list, row, 1));

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
    SaveScreenshot(host.Window(), L"settings-menu");  // the menu lies over the host's list
    EXPECT_EQ(::SendMessageW(toolbar, TB_GETSTATE, kToolbarButton, 0), TBSTATE_ENABLED | TBSTATE_PRESSED);
    PostKey(menu, VK_RETURN);
    ASSERT_TRUE(WaitForMenuClosed());

    // The host refreshes inside the band's command; wait for the button to come up again.
    for (int waited = 0; waited < 10000; waited += 50) {
        if (::SendMessageW(toolbar, TB_GETSTATE, kToolbarButton, 0) == TBSTATE_ENABLED) break;
        ::Sleep(50);
    }
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    EXPECT_EQ(StoredBytes(L"ViewMetric"), (std::vector<BYTE>{3, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(listener.Count(), 1);
    EXPECT_EQ(listener.LastWParam(), 1u);
    const int after = RowOf(host, list, L"Documents");
    ASSERT_GE(after, 0);
    EXPECT_TRUE(EndsWith(host.Cell(list, after, 1), L" GB")) << ::testing::PrintToString(host.Cell(list, after, 1));
    ClearSettings();
}

TEST(HostWindow, ClosesCleanlyWithItsBands) {
    HostProcess host(kHost, L"D:\\Sample");
    ASSERT_NE(host.Window(), nullptr);
    ::PostMessageW(host.Window(), WM_CLOSE, 0, 0);
    ASSERT_EQ(::WaitForSingleObject(host.Process(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(host.ExitCode(), 0u) << "the bands were detached and released without a crash";
}

}  // namespace
}  // namespace trovelle::test
