// The band in the Details-view host's window, worked from outside as a user would: the menu
// drops down over the host (a picture of it is kept), a choice changes the registry and the
// host's list shows the new unit.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "BarTestSupport.h"
#include "Screenshot.h"
#include "UniqueHandle.h"
#include <gtest/gtest.h>

namespace trovelle::test {
namespace {

constexpr wchar_t kHost[] = L"C:\\Program Files\\Trovelle Pro\\Tools\\DetailsHost.exe";

// The host process with its window; closed and waited for at the end.
class HostProcess {
public:
    explicit HostProcess(const std::wstring& folder) {
        std::wstring command = L"\"" + std::wstring(kHost) + L"\" --window \"" + folder + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started = {};
        if (!::CreateProcessW(kHost, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &started)) {
            return;
        }
        process_.Reset(started.hProcess);
        ::CloseHandle(started.hThread);
        processId_ = started.dwProcessId;
        for (int waited = 0; waited < 15000 && window_ == nullptr; waited += 50) {
            window_ = FindOwnWindow();
            if (window_ == nullptr) ::Sleep(50);
        }
    }
    ~HostProcess() {
        if (!process_) return;
        if (::IsWindow(window_)) ::PostMessageW(window_, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(process_.Get(), 10000) != WAIT_OBJECT_0) {
            ::TerminateProcess(process_.Get(), 9);
        }
    }
    HWND Window() const { return window_; }
    HANDLE Process() const { return process_.Get(); }
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(process_.Get(), &code);
        return code;
    }

    HWND Child(const wchar_t* className, const wchar_t* title) const {
        struct Search { const wchar_t* className; const wchar_t* title; HWND found; };
        Search search{className, title, nullptr};
        ::EnumChildWindows(window_, [](HWND child, LPARAM parameter) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(parameter);
            wchar_t name[64] = {}, text[64] = {};
            ::GetClassNameW(child, name, 64);
            ::GetWindowTextW(child, text, 64);
            if (_wcsicmp(name, s.className) == 0 && (s.title == nullptr || wcscmp(text, s.title) == 0)) {
                s.found = child;
                return FALSE;
            }
            return TRUE;
        }, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // The host window exists from the start of its creation; its list and bands follow.
    HWND WaitForChild(const wchar_t* className, const wchar_t* title) const {
        HWND child = Child(className, title);
        for (int waited = 0; waited < 5000 && child == nullptr; waited += 50) {
            ::Sleep(50);
            child = Child(className, title);
        }
        return child;
    }

    // The text of a list view cell, read through memory lent in the host's process.
    std::wstring Cell(HWND list, int row, int column) const {
        const UniqueKernelHandle process(::OpenProcess(
            PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId_));
        if (!process) return L"<no access>";
        constexpr SIZE_T kChars = 260;
        BYTE* remote = static_cast<BYTE*>(::VirtualAllocEx(
            process.Get(), nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t),
            MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (remote == nullptr) return L"<no memory>";
        LVITEMW item = {};
        item.iSubItem = column;
        item.cchTextMax = kChars;
        item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
        ::WriteProcessMemory(process.Get(), remote, &item, sizeof(item), nullptr);
        const LRESULT length =
            ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
        wchar_t text[kChars] = {};
        ::ReadProcessMemory(process.Get(), remote + sizeof(LVITEMW), text, sizeof(text), nullptr);
        ::VirtualFreeEx(process.Get(), remote, 0, MEM_RELEASE);
        return std::wstring(text, static_cast<size_t>(std::min<LRESULT>(length, kChars - 1)));
    }

private:
    HWND FindOwnWindow() const {
        for (HWND window = ::FindWindowExW(nullptr, nullptr, L"TrovelleDetailsHost", nullptr);
             window != nullptr;
             window = ::FindWindowExW(nullptr, window, L"TrovelleDetailsHost", nullptr)) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == processId_) return window;
        }
        return nullptr;
    }

    UniqueKernelHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

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
    HostProcess host(L"D:\\Sample");
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
    HostProcess host(L"D:\\Sample");
    ASSERT_NE(host.Window(), nullptr);
    ::PostMessageW(host.Window(), WM_CLOSE, 0, 0);
    ASSERT_EQ(::WaitForSingleObject(host.Process(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(host.ExitCode(), 0u) << "the bands were detached and released without a crash";
}

}  // namespace
}  // namespace trovelle::test
