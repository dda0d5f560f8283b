// Acting on files from the window: the Recycle Bin and deletion, renaming, the CSV export, the
// shell's context menu and the folders' Properties dialog, against Wine's real shell.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "ComApartment.h"
#include "FileActions.h"
#include "FolderProperties.h"
#include "ListExport.h"
#include "ShellItemMenu.h"
#include "ShellSelection.h"
#include "RecycleBin.h"
#include "TestFiles.h"
#include "UniqueHandle.h"
#include "WideText.h"
#include "Win32FileSystem.h"

namespace trovelle {
namespace {

using Microsoft::WRL::ComPtr;

const std::wstring kRoot = L"D:\\shell-actions";

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadBytes(const std::wstring& path) {
    std::string bytes(1 << 16, '\0');
    const UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
    DWORD read = 0;
    if (!file || !::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        return {};
    }
    bytes.resize(read);
    return bytes;
}

std::wstring UniqueName(const wchar_t* stem) {
    return stem + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(::GetTickCount64());
}

class ShellActions : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(apartment_);
        if (RunningUnderWine()) test::MakeWineTrash();
        test::RemoveTree(kRoot);
        ASSERT_TRUE(::CreateDirectoryW(kRoot.c_str(), nullptr));
    }
    void TearDown() override { test::RemoveTree(kRoot); }

    ComApartment apartment_;
};

TEST_F(ShellActions, RecyclingMovesItemsToTheRecycleBin) {
    const std::wstring name = UniqueName(L"recycled-") + L".txt";
    const std::wstring file = kRoot + L"\\" + name;
    test::WriteFileOfSize(file, 1234);
    ASSERT_FALSE(test::InRecycleBin(name));

    EXPECT_EQ(host::DeleteItems(nullptr, {file}, /*permanently=*/false, /*ask=*/false), S_OK);
    EXPECT_FALSE(Exists(file));
    EXPECT_TRUE(test::InRecycleBin(name)) << "recycled, not deleted outright";
}

TEST_F(ShellActions, PermanentDeletionSkipsTheRecycleBin) {
    const std::wstring name = UniqueName(L"deleted-");
    const std::wstring folder = kRoot + L"\\" + name, file = kRoot + L"\\" + name + L".txt";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    test::WriteFileOfSize(folder + L"\\inside.bin", 4096);
    test::WriteFileOfSize(file, 10);

    EXPECT_EQ(host::DeleteItems(nullptr, {folder, file}, /*permanently=*/true, /*ask=*/false), S_OK);
    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(Exists(file));
    EXPECT_FALSE(test::InRecycleBin(name));
    EXPECT_FALSE(test::InRecycleBin(name + L".txt"));
}

TEST_F(ShellActions, RenameKeepsTheItemAndNeverOverwrites) {
    const std::wstring before = kRoot + L"\\before.txt", after = kRoot + L"\\after, \u00E4.txt";
    test::WriteFileOfSize(before, 321);
    EXPECT_EQ(host::RenameItem(nullptr, before, L"after, \u00E4.txt"), S_OK);
    EXPECT_FALSE(Exists(before));
    EXPECT_EQ(ReadBytes(after).size(), 321u);

    const std::wstring taken = kRoot + L"\\taken.txt";
    test::WriteFileOfSize(taken, 5);
    EXPECT_EQ(host::RenameItem(nullptr, after, L"taken.txt"), HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadBytes(after).size(), 321u);
    EXPECT_EQ(ReadBytes(taken).size(), 5u);
    EXPECT_EQ(host::RenameItem(nullptr, after, L"sub\\x.txt"), HRESULT_FROM_WIN32(ERROR_INVALID_NAME));

    const std::wstring folder = kRoot + L"\\folder";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    test::WriteFileOfSize(folder + L"\\kept.txt", 7);
    EXPECT_EQ(host::RenameItem(nullptr, folder, L"Folder renamed"), S_OK);
    EXPECT_EQ(ReadBytes(kRoot + L"\\Folder renamed\\kept.txt").size(), 7u);
}

TEST_F(ShellActions, ExportedListReadsBackByteForByte) {
    browser::ExportRow file;
    file.name = L"Tom, \"the\" file.txt";
    file.size = 1234567;
    file.sizeOnDisk = 1236992;
    file.sharePercent = 12.46;
    file.type = L"Text Document";
    const uint64_t ticks = 134412464200000000;  // 2026-12-08 23:33:40 UTC
    file.modified = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    browser::ExportRow unknown;
    unknown.name = L"\u00C4rger";
    unknown.type = L"File folder";
    const std::string expected =
        "\xEF\xBB\xBF"
        "Name,Size,Size on disk,Share,Type,Date modified\r\n"
        "\"Tom, \"\"the\"\" file.txt\",1234567,1236992,12.5,Text Document,2026-12-08T23:33:40Z\r\n"
        "\xC3\x84rger,,,,File folder,\r\n";

    const std::wstring path = kRoot + L"\\list.csv";
    test::WriteFileOfSize(path, 100000);  // an older, longer export is replaced whole
    ASSERT_EQ(browser::WriteTextFile(path, browser::CsvDocument({file, unknown})), S_OK);
    EXPECT_EQ(ReadBytes(path), expected);

    WIN32_FIND_DATAW found;
    int entries = 0;
    const HANDLE search = ::FindFirstFileW((kRoot + L"\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do entries += found.cFileName[0] != L'.';
    while (::FindNextFileW(search, &found));
    ::FindClose(search);
    EXPECT_EQ(entries, 1) << "no temporary file is left beside the export";

    EXPECT_EQ(browser::WriteTextFile(kRoot + L"\\missing\\list.csv", expected),
              HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
}

// A plain window on this thread owns the menu; a second thread works the menu as a user would.
class MenuOwner {
public:
    MenuOwner()
        : window_(::CreateWindowExW(0, L"STATIC", L"Trovelle menu owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    40, 40, 320, 200, nullptr, nullptr, nullptr, nullptr)) {
        ::SetForegroundWindow(window_);
    }
    ~MenuOwner() { ::DestroyWindow(window_); }
    HWND Handle() const { return window_; }

private:
    HWND window_;
};

HWND WaitForMenuWindow() {
    for (int waited = 0; waited < 5000; waited += 20) {
        const HWND menu = ::FindWindowW(L"#32768", nullptr);
        if (menu != nullptr && ::IsWindowVisible(menu)) return menu;
        ::Sleep(20);
    }
    return nullptr;
}

void PressKeys(HWND menu, const std::vector<WPARAM>& keys) {
    for (const WPARAM key : keys) {
        ::PostMessageW(menu, WM_KEYDOWN, key, 1);
        ::PostMessageW(menu, WM_KEYUP, key, 0xC0000001);
        ::Sleep(50);
    }
}

TEST_F(ShellActions, ContextMenuHandsTheChosenVerbToTheOwner) {
    const std::wstring file = kRoot + L"\\menu.txt";
    test::WriteFileOfSize(file, 10);
    const MenuOwner owner;
    std::vector<std::wstring> verbs;
    const host::ShellMenuHooks hooks{[&verbs](const std::wstring& verb) {
        verbs.push_back(verb);
        return true;
    }};
    // Up from the top wraps to the last item, Properties.
    std::thread user([] { PressKeys(WaitForMenuWindow(), {VK_UP, VK_RETURN}); });
    EXPECT_EQ(host::ShowShellItemMenu(owner.Handle(), {file}, POINT{100, 100}, hooks), S_OK);
    user.join();
    EXPECT_EQ(verbs, std::vector<std::wstring>{L"properties"});

    std::thread leaver([] { PressKeys(WaitForMenuWindow(), {VK_ESCAPE}); });
    EXPECT_EQ(host::ShowShellItemMenu(owner.Handle(), {file}, POINT{100, 100}, hooks), S_FALSE);
    leaver.join();
    EXPECT_EQ(verbs.size(), 1u) << "nothing chosen, nothing run";

    const std::wstring elsewhere = kRoot + L"\\sub\\elsewhere.txt";
    ASSERT_TRUE(::CreateDirectoryW((kRoot + L"\\sub").c_str(), nullptr));
    test::WriteFileOfSize(elsewhere, 1);
    EXPECT_EQ(host::ShowShellItemMenu(owner.Handle(), {file, elsewhere}, POINT{}, hooks),
              E_INVALIDARG) << "items of two folders have no one menu";
}

// The tab titles of the first property sheet this process shows; the sheet is then closed.
std::vector<std::wstring> SheetTabsThenClose() {
    std::vector<std::wstring> tabs;
    for (int waited = 0; waited < 10000 && tabs.empty(); waited += 50) {
        ::Sleep(50);
        for (HWND sheet = ::FindWindowExW(nullptr, nullptr, L"#32770", nullptr); sheet != nullptr;
             sheet = ::FindWindowExW(nullptr, sheet, L"#32770", nullptr)) {
            const HWND tab = PropSheet_GetTabControl(sheet);
            if (!::IsWindowVisible(sheet) || tab == nullptr) continue;
            for (int index = 0; index < TabCtrl_GetItemCount(tab); ++index) {
                wchar_t text[128] = {};
                TCITEMW item = {};
                item.mask = TCIF_TEXT;
                item.pszText = text;
                item.cchTextMax = ARRAYSIZE(text);
                TabCtrl_GetItem(tab, index, &item);
                tabs.emplace_back(text);
            }
            PropSheet_PressButton(sheet, PSBTN_CANCEL);
            break;
        }
    }
    return tabs;
}

TEST_F(ShellActions, FolderPropertiesShowTheRegisteredPage) {
    const std::wstring folder = kRoot + L"\\properties";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const MenuOwner owner;
    std::vector<std::wstring> tabs;
    std::thread reader([&tabs] { tabs = SheetTabsThenClose(); });
    EXPECT_EQ(host::ShowFolderProperties(owner.Handle(), folder), S_OK);
    reader.join();
    EXPECT_NE(std::find(tabs.begin(), tabs.end(), L"Trovelle Pro"), tabs.end());
}

}  // namespace
}  // namespace trovelle
