// The button's settings menu, worked as a user works it: check marks from the registry, what a
// choice writes and announces, and the commands that write nothing.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>

#include "BarFixture.h"
#include "CacheSession.h"
#include "Eventually.h"
#include "LeftoverServer.h"
#include "ProductNames.h"
#include "UniqueHandle.h"

namespace trovelle::test {
namespace {

using namespace std::chrono_literals;

using Bytes = std::vector<BYTE>;

class SettingsMenu : public BarFixture {
protected:
    void SetUp() override {
        BarFixture::SetUp();
        if (HasFatalFailure()) return;
        Attach();
    }
    MenuVisit Open(const std::function<void(HWND, HMENU)>& act) {
        MenuVisit visit = ClickAndDrive(bandWindow_, toolbar_, act);
        EXPECT_TRUE(visit.opened) << "the menu did not open";
        EXPECT_TRUE(WaitForMenuClosed());
        return visit;
    }
    static bool Has(const std::vector<UINT>& commands, UINT command) {
        return std::find(commands.begin(), commands.end(), command) != commands.end();
    }
    LRESULT ButtonState() const {
        return ::SendMessageW(toolbar_, TB_GETSTATE, kToolbarButton, 0);
    }
};

TEST_F(SettingsMenu, DefaultsAreCheckedAndDismissingChangesNothing) {
    BroadcastListener listener;
    const MenuVisit visit = Open(Dismiss);
    EXPECT_EQ(visit.checked, (std::vector<UINT>{kKBytes, kFilesAndFolders, kSpace, kDontShow}));
    EXPECT_EQ(visit.buttonState, TBSTATE_ENABLED | TBSTATE_PRESSED) << "pressed while open";

    EXPECT_EQ(ButtonState(), TBSTATE_ENABLED) << "released after";
    for (const wchar_t* name : {L"ViewStyle", L"ViewMetric", L"DecimalDigits", L"Separator"}) {
        EXPECT_FALSE(IsStored(name)) << ::testing::PrintToString(std::wstring(name));
    }
    EXPECT_EQ(listener.Count(), 0);
    EXPECT_EQ(browser_->RefreshCount(), 0u);
}

TEST_F(SettingsMenu, StoredValuesOfAnyWidth) {
    StoreBytes(L"Separator", {0x2D, 0x00});        // a hyphen has no item
    StoreBytes(L"ViewMetric", {0x03, 0x00, 0x00});  // shorter than 8 bytes: still GBytes
    StoreBytes(L"ViewStyle", Bytes(12, 0x02));      // longer than 8 bytes: counts as missing
    StoreBytes(L"DecimalDigits", {9, 0, 0, 0, 0, 0, 0, 0});  // out of range: nothing checked
    MenuVisit visit = Open(Dismiss);
    EXPECT_EQ(visit.checked, (std::vector<UINT>{kGBytes, kFilesAndFolders}));

    // The marks follow the registry at every opening.
    StoreBytes(L"Separator", {0x60, 0x00});
    StoreBytes(L"ViewStyle", {0x03, 0, 0, 0, 0, 0, 0, 0});
    StoreBytes(L"DecimalDigits", {0x05, 0, 0, 0, 0, 0, 0, 0});
    StoreBytes(L"ViewMetric", {});
    visit = Open(Dismiss);
    EXPECT_EQ(visit.checked, (std::vector<UINT>{kKBytes, kNothing, kApostrophe, kDigits5}));
}

TEST_F(SettingsMenu, ChoosingGBytesStoresAnnouncesAndRefreshes) {
    BroadcastListener listener;
    const MenuVisit visit = Open(Choose(kGBytes));
    EXPECT_EQ(StoredBytes(L"ViewMetric"), (Bytes{3, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(IsStored(L"ViewStyle")) << "one choice writes one value";
    EXPECT_EQ(listener.Count(), 1);
    EXPECT_EQ(listener.LastWParam(), 1u);
    EXPECT_EQ(browser_->RefreshCount(), 1u);
    EXPECT_EQ(ButtonState(), TBSTATE_ENABLED);

    // The same choice again writes, announces and refreshes again.
    const MenuVisit again = Open(Choose(kGBytes));
    EXPECT_EQ(again.checked.front(), kGBytes);
    EXPECT_EQ(listener.Count(), 2);
    EXPECT_EQ(browser_->RefreshCount(), 2u);
}

TEST_F(SettingsMenu, ChoicesInEveryGroupAndSubmenu) {
    Open(Choose(kQuote));
    EXPECT_EQ(StoredBytes(L"Separator"), (Bytes{0x27, 0x00}));
    Open(Choose(kDontUse));
    EXPECT_EQ(StoredBytes(L"Separator"), (Bytes{0x00, 0x00}));
    Open(Choose(kDigits1));
    EXPECT_EQ(StoredBytes(L"DecimalDigits"), (Bytes{1, 0, 0, 0, 0, 0, 0, 0}));
    Open(Choose(kFoldersOnly));
    EXPECT_EQ(StoredBytes(L"ViewStyle"), (Bytes{2, 0, 0, 0, 0, 0, 0, 0}));
    Open(Choose(kAuto));
    EXPECT_EQ(StoredBytes(L"ViewMetric"), (Bytes{4, 0, 0, 0, 0, 0, 0, 0}));
    const MenuVisit visit = Open(Dismiss);
    EXPECT_EQ(visit.checked, (std::vector<UINT>{kAuto, kFoldersOnly, kDontUse, kDigits1}));
    EXPECT_EQ(browser_->RefreshCount(), 5u);
}

bool ProcessRuns(const wchar_t* name) {
    const UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
         more = ::Process32NextW(snapshot.Get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, name) == 0) return true;
    }
    return false;
}

int WindowsTitled(const wchar_t* caption) {
    int count = 0;
    for (HWND window = ::FindWindowExW(nullptr, nullptr, nullptr, caption); window != nullptr;
         window = ::FindWindowExW(nullptr, window, nullptr, caption)) {
        ++count;
    }
    return count;
}

TEST_F(SettingsMenu, PropertiesRaisesTheRunningSettingsWindow) {
    ASSERT_FALSE(ProcessRuns(L"TrovexProperties.exe")) << "a settings program is already running";
    BroadcastListener listener;
    TestWindow properties(L"Trovelle Pro Properties");
    ::ShowWindow(properties.Handle(), SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(properties.Handle()));

    Open(Choose(kProperties));
    EXPECT_FALSE(::IsIconic(properties.Handle())) << "restored";
    EXPECT_TRUE(HoldsThroughout(500ms, [] { return !ProcessRuns(L"TrovexProperties.exe"); }))
        << "no second copy started";
    EXPECT_EQ(WindowsTitled(L"Trovelle Pro Properties"), 1);
    EXPECT_EQ(listener.Count(), 0);
    EXPECT_EQ(browser_->RefreshCount(), 0u);
    EXPECT_FALSE(IsStored(L"ViewMetric"));
}

TEST_F(SettingsMenu, ResetCacheWithNoServerDoesNothing) {
    {
        const UniqueKernelHandle running(::OpenMutexW(SYNCHRONIZE, FALSE, kCacheServerMutexName));
        ASSERT_FALSE(running) << "a cache server is running";
    }
    BroadcastListener listener;
    const MenuVisit visit = Open(Choose(kResetCache));
    EXPECT_TRUE(visit.opened);
    // COM would take about a second to start a server.
    EXPECT_TRUE(HoldsThroughout(1500ms, [] { return !CacheServerRuns(); }))
        << "Reset cache must not start the server";
    EXPECT_FALSE(ProcessRuns(L"TrovexCache.exe"));
    EXPECT_EQ(listener.Count(), 0);
    EXPECT_EQ(browser_->RefreshCount(), 0u);
    EXPECT_EQ(ButtonState(), TBSTATE_ENABLED);
}

TEST_F(SettingsMenu, PropertiesStartsTheSettingsProgramBesideTheLibrary) {
    ASSERT_EQ(WindowsTitled(L"Trovelle Pro Properties"), 0);
    Open(Choose(kProperties));
    HWND started = nullptr;
    BecomesTrueWithin(15000ms, [&] {
        started = ::FindWindowW(nullptr, L"Trovelle Pro Properties");
        return started != nullptr;
    }, 100ms);
    ASSERT_NE(started, nullptr) << "TrovexProperties.exe was not started";
    DWORD processId = 0;
    ::GetWindowThreadProcessId(started, &processId);
    const UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
    ::PostMessageW(started, WM_COMMAND, IDCANCEL, 0);
    if (process && ::WaitForSingleObject(process.Get(), 10000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.Get(), 9);  // the program this test started
    }
    EXPECT_EQ(browser_->RefreshCount(), 0u);
}

std::string ReadWhole(const wchar_t* path) {
    std::string text;
    const UniqueKernelHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
    if (!file) return text;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    return text;
}

bool DumpMentions(ITrovelleCache& cache, const char* folderKey) {
    const wchar_t dumpPath[] = L"C:\\trovexbar-cache-dump.txt";
    ::DeleteFileW(dumpPath);
    SaveDump(cache, dumpPath, 0);
    const std::string dump = ReadWhole(dumpPath);
    ::DeleteFileW(dumpPath);
    std::string lower = dump;
    for (char& c : lower) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    return lower.find(folderKey) != std::string::npos;
}

TEST_F(SettingsMenu, ResetCacheEmptiesARunningServer) {
    StoreBytes(L"CacheAll", Bytes(8, 0));  // no drive-wide scan refilling the cache meanwhile
    Microsoft::WRL::ComPtr<ITrovelleCache> cache;
    ASSERT_EQ(CreateCacheObject(cache), S_OK);  // an earlier test's server may be winding down
    UINT64 size = 0;
    EXPECT_EQ(AskFolderSize(*cache.Get(), L"D:\\Sample", &size), S_OK);
    ASSERT_TRUE(DumpMentions(*cache.Get(), "d:\\sample")) << "the folder was not cached";

    BroadcastListener listener;
    Open(Choose(kResetCache));
    EXPECT_FALSE(DumpMentions(*cache.Get(), "d:\\sample")) << "the cache was not emptied";
    EXPECT_EQ(listener.Count(), 0);
    EXPECT_EQ(browser_->RefreshCount(), 0u);
    EXPECT_FALSE(IsStored(L"ViewMetric"));
    cache.Reset();
    StopCacheServer();
}

}  // namespace
}  // namespace trovelle::test
