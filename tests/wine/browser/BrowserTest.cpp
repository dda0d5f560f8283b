// Trovelle Pro's window as a user meets it: walking folders, sorting by size, a mistyped path, a
// file that grows while it is shown, two windows at once, the folder tree, long paths.
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <string>
#include <vector>

#include "BrowserProcess.h"
#include "ChildProcess.h"
#include "ComApartment.h"
#include "RecycleBin.h"
#include "Win32FileSystem.h"
#include "SettingsStore.h"
#include "Eventually.h"
#include "TestFiles.h"
#include "UniqueHandle.h"
#include "WideText.h"
#include "text/CellNumber.h"
#include <gtest/gtest.h>

namespace trovelle::test {
namespace {

using driver::BrowserProcess;
using namespace std::chrono_literals;

constexpr wchar_t kSample[] = L"D:\\Sample";
constexpr wchar_t kSizeTitle[] = L"Size";

std::string Printable(const std::wstring& text) { return ::testing::PrintToString(ToUtf8(text)); }

// The byte count the Size column shows in `row`, or UINT64_MAX when it shows none (the
// fixture has sizes shown in plain bytes).
uint64_t BytesIn(const BrowserProcess& browser, int row) {
    const int column = browser.ColumnNamed(kSizeTitle);
    return WholeNumberInCell(ToCore(browser.Cell(row, column))).value_or(UINT64_MAX);
}

uint64_t BytesOf(const BrowserProcess& browser, const std::wstring& name) {
    const int row = browser.RowNamed(name);
    return row < 0 ? UINT64_MAX : BytesIn(browser, row);
}

void SavePicture(const BrowserProcess& browser, const std::wstring& name) {
    ::CreateDirectoryW(L"C:\\screenshots", nullptr);
    EXPECT_TRUE(browser.SavePicture(L"C:\\screenshots\\" + name + L".bmp"));
}

// Sizes shown in plain bytes, without digit groups, for the length of a test.
class Browser : public ::testing::Test {
protected:
    void SetUp() override {
        const SettingsKey settings = SettingsKey::OpenForWriting(KEY_SET_VALUE);
        ASSERT_TRUE(settings);
        ASSERT_EQ(settings.WriteInteger(Setting::ViewMetric, 0), ERROR_SUCCESS);
        ASSERT_EQ(settings.WriteCharacter(Setting::Separator, L'\0'), ERROR_SUCCESS);
    }
    void TearDown() override {
        const SettingsKey settings = SettingsKey::OpenExisting(KEY_SET_VALUE);
        for (const wchar_t* name : {L"ViewMetric", L"Separator"}) ::RegDeleteValueW(settings.Handle(), name);
    }
};

// A folder of its own for a test, removed after it.
class ScratchFolder {
public:
    explicit ScratchFolder(std::wstring path) : path_(std::move(path)) {
        RemoveTree(path_);
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTree(path_); }
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

TEST_F(Browser, NavigationOpensAFolderGoesBackForwardAndUpToTheDrives) {
    BrowserProcess browser(kSample);
    ASSERT_NE(browser.Window(), nullptr) << "the window did not appear";
    ASSERT_TRUE(browser.WaitForFolder(kSample)) << Printable(browser.Title());
    ASSERT_TRUE(browser.WaitUntilMeasured());
    const HWND list = browser.List();

    browser.Select(browser.RowNamed(L"Documents"));
    browser.PressKey(list, VK_RETURN);
    ASSERT_TRUE(browser.WaitForFolder(L"D:\\Sample\\Documents")) << Printable(browser.Title());
    browser.PressKey(list, VK_LEFT, true);
    ASSERT_TRUE(browser.WaitForFolder(kSample)) << "Alt+Left: " << Printable(browser.Title());
    browser.PressKey(list, VK_RIGHT, true);
    ASSERT_TRUE(browser.WaitForFolder(L"D:\\Sample\\Documents")) << "Alt+Right";

    browser.PressKey(list, VK_BACK);
    ASSERT_TRUE(browser.WaitForFolder(kSample)) << "Backspace: " << Printable(browser.Title());
    browser.PressKey(list, VK_UP, true);
    ASSERT_TRUE(browser.WaitForFolder(L"D:\\")) << "Alt+Up: " << Printable(browser.Title());
    browser.PressKey(list, VK_BACK);
    ASSERT_TRUE(browser.WaitForFolder(L"Drives")) << Printable(browser.Title());
    ASSERT_TRUE(browser.WaitUntilMeasured());
    // The fixed and removable drives, each with its total; the network and optical ones not.
    bool fixedShown = false, removableShown = false;
    for (const std::wstring& name : browser.Names()) {
        fixedShown = fixedShown || name.find(L"(D:)") != std::wstring::npos;
        removableShown = removableShown || name.find(L"(E:)") != std::wstring::npos;
        EXPECT_EQ(name.find(L"(N:)"), std::wstring::npos) << Printable(name);
        EXPECT_EQ(name.find(L"(R:)"), std::wstring::npos) << Printable(name);
    }
    EXPECT_TRUE(fixedShown && removableShown);
    for (int row = 0; row < browser.RowCount(); ++row) {
        EXPECT_NE(BytesIn(browser, row), UINT64_MAX) << Printable(browser.Cell(row, 0));
    }
    EXPECT_TRUE(browser.Close());
    EXPECT_EQ(browser.ExitCode(), 0u);
}

TEST_F(Browser, SortingBySizeOrdersByByteCountsLargestFirstThroughRefreshesAndChanges) {
    ScratchFolder folder(L"D:\\BrowserSort");
    // Sizes whose texts sort otherwise ("9 KB" after "49 KB" as text, "0 KB" for both smallest).
    const std::vector<std::pair<std::wstring, uint64_t>> folders = {
        {L"alpha", 3000}, {L"beta", 10}, {L"gamma", 50000}};
    for (const auto& [name, bytes] : folders) {
        ::CreateDirectoryW((folder / name).c_str(), nullptr);
        WriteFileOfSize(folder / name + L"\\content.bin", bytes);
    }
    WriteFileOfSize(folder / L"x.bin", 9000);
    WriteFileOfSize(folder / L"y.bin", 5);

    BrowserProcess browser(folder.Path());
    ASSERT_TRUE(browser.WaitForFolder(folder.Path()));
    ASSERT_TRUE(browser.WaitUntilMeasured());
    const int sizeColumn = browser.ColumnNamed(kSizeTitle);
    ASSERT_GE(sizeColumn, 0);
    browser.ClickColumn(sizeColumn);
    const std::vector<std::wstring> largestFirst = {L"gamma", L"x.bin", L"alpha", L"beta", L"y.bin"};
    ASSERT_TRUE(BecomesTrueWithin(5s, [&] { return browser.Names() == largestFirst; }))
        << Printable(browser.Names().empty() ? L"" : browser.Names()[0]);
    EXPECT_EQ(browser.SortArrow(sizeColumn), HDF_SORTDOWN);
    for (int row = 1; row < browser.RowCount(); ++row) {
        EXPECT_GE(BytesIn(browser, row - 1), BytesIn(browser, row)) << row;
    }
    EXPECT_EQ(BytesOf(browser, L"gamma"), 50000u);
    SavePicture(browser, L"trovelle-browser-sorted");

    browser.PressKey(browser.List(), VK_F5);
    ::Sleep(1000);
    ASSERT_TRUE(browser.WaitUntilMeasured());
    EXPECT_EQ(browser.Names(), largestFirst) << "the sort did not survive F5";

    // A change reorders the rows by itself, the sort kept.
    WriteFileOfSize(folder / L"y.bin", 100000);
    EXPECT_TRUE(BecomesTrueWithin(8s, [&] { return browser.Names().front() == L"y.bin"; }))
        << Printable(browser.Names().front());
    EXPECT_EQ(browser.SortArrow(sizeColumn), HDF_SORTDOWN);

    browser.ClickColumn(sizeColumn);
    EXPECT_TRUE(BecomesTrueWithin(5s, [&] { return browser.Names().front() == L"beta"; }))
        << "a second click reverses: " << Printable(browser.Names().front());
    EXPECT_EQ(browser.SortArrow(sizeColumn), HDF_SORTUP);
}

TEST_F(Browser, BadAddressSaysSoAndTheViewStaysWhereItWas) {
    BrowserProcess browser(kSample);
    ASSERT_TRUE(browser.WaitForFolder(kSample));
    ASSERT_TRUE(browser.WaitUntilMeasured());
    const int rows = browser.RowCount();
    for (const std::wstring typed : {L"D:\\No such folder", L"D:\\Sample\\readme.txt"}) {
        browser.TypeAddress(typed);
        const HWND box = driver::WaitForMessageBox(L"Trovelle Pro");
        ASSERT_NE(box, nullptr) << "no message for " << Printable(typed);
        EXPECT_NE(driver::MessageBoxText(box).find(L"cannot open"), std::wstring::npos)
            << Printable(driver::MessageBoxText(box));
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(BecomesTrueWithin(5s, [&] { return !::IsWindow(box); }));
        EXPECT_TRUE(browser.WaitForFolder(kSample, 2s)) << Printable(browser.Title());
        wchar_t address[MAX_PATH] = {};
        ::SendMessageW(browser.Address(), WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(address));
        EXPECT_STREQ(address, kSample);
        EXPECT_TRUE(browser.WaitUntilMeasured());
        EXPECT_EQ(browser.RowCount(), rows);
    }
    // Closed while the message is up, as from the taskbar: the window still ends cleanly.
    browser.TypeAddress(L"D:\\No such folder");
    ASSERT_NE(driver::WaitForMessageBox(L"Trovelle Pro"), nullptr);
    EXPECT_TRUE(browser.Close());
    EXPECT_EQ(browser.ExitCode(), 0u);
}

// Another program replaces `target` with a copy of `source`, as a user's programs change files.
void CopyByAnotherProgram(const std::wstring& source, const std::wstring& target) {
    const ChildProcess copy =
        StartChild(L"C:\\windows\\system32\\cmd.exe",
                   L"/c copy /y \"" + source + L"\" \"" + target + L"\"");
    ASSERT_TRUE(copy.process);
    ASSERT_EQ(WaitForExitCode(copy.process.Get(), 10000), 0u);
}

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

TEST_F(Browser, LiveTotalsFollowAGrownFileWithoutF5KeepingTheSelection) {
    const std::wstring live = L"D:\\BrowserLive";
    BrowserProcess browser(live);
    ASSERT_TRUE(browser.WaitForFolder(live));
    ASSERT_TRUE(browser.WaitUntilMeasured());
    ASSERT_EQ(BytesOf(browser, L"grow.bin"), 1000u);
    ASSERT_EQ(BytesOf(browser, L"sub"), 500u);
    const std::wstring totalBefore = browser.StatusText(1);
    browser.Select(browser.RowNamed(L"sub"));

    const std::wstring larger = L"C:\\windows\\system32\\notepad.exe";
    const uint64_t grown = FileSize(larger);
    ASSERT_GT(grown, 1000u);
    CopyByAnotherProgram(larger, live + L"\\grow.bin");
    CopyByAnotherProgram(larger, live + L"\\sub\\inner.bin");
    EXPECT_TRUE(BecomesTrueWithin(6s, [&] { return BytesOf(browser, L"grow.bin") == grown; }))
        << BytesOf(browser, L"grow.bin");
    EXPECT_TRUE(BecomesTrueWithin(6s, [&] { return BytesOf(browser, L"sub") == grown; }))
        << BytesOf(browser, L"sub");
    EXPECT_TRUE(BecomesTrueWithin(3s, [&] { return browser.StatusText(1) != totalBefore; }))
        << Printable(totalBefore);
    const int selected = static_cast<int>(
        ::SendMessageW(browser.List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    EXPECT_GE(selected, 0) << "the selection was lost";
    EXPECT_EQ(browser.Cell(selected, 0), L"sub");
}

// The settings key, which every column handler watches, holds binary values only: the window
// keeps its own in a key of its own, and takes away what an older version left there.
TEST_F(Browser, WindowValuesLiveInAKeyOfTheirOwn) {
    const wchar_t settingsKey[] = L"SOFTWARE\\Karvane\\Trovelle Pro\\Settings";
    const wchar_t old[] = L"D:\\Old";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, settingsKey, L"BrowserFolder", REG_SZ, old,
                                sizeof(old)), ERROR_SUCCESS);
    BrowserProcess browser(kSample);
    ASSERT_TRUE(browser.WaitForFolder(kSample));
    ASSERT_TRUE(browser.Close());

    UniqueRegistryKey settings;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, settingsKey, 0, KEY_QUERY_VALUE, settings.Put()),
              ERROR_SUCCESS);
    wchar_t name[256];
    DWORD type = 0;
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (::RegEnumValueW(settings.Get(), index, name, &length, nullptr, &type, nullptr,
                            nullptr) != ERROR_SUCCESS) {
            break;
        }
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY)) << Printable(name);
    }
    wchar_t folder[MAX_PATH] = {};
    DWORD bytes = sizeof(folder);
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, L"SOFTWARE\\Karvane\\Trovelle Pro\\Browser",
                             L"BrowserFolder", RRF_RT_REG_SZ, nullptr, folder, &bytes),
              ERROR_SUCCESS);
    EXPECT_STREQ(folder, kSample);
}

TEST_F(Browser, TwoWindowsAtOnceEachOnItsFolder) {
    BrowserProcess first(kSample);
    BrowserProcess second(L"D:\\Sample\\Pictures");
    ASSERT_TRUE(first.WaitForFolder(kSample));
    ASSERT_TRUE(second.WaitForFolder(L"D:\\Sample\\Pictures"));
    EXPECT_TRUE(first.WaitUntilMeasured());
    EXPECT_TRUE(second.WaitUntilMeasured());
    RECT a = {}, b = {};
    ::GetWindowRect(first.Window(), &a);
    ::GetWindowRect(second.Window(), &b);
    EXPECT_FALSE(a.left == b.left && a.top == b.top) << "the second window hides the first";
    EXPECT_TRUE(first.Close());
    EXPECT_EQ(first.ExitCode(), 0u);
    second.PressKey(second.List(), VK_BACK);
    EXPECT_TRUE(second.WaitForFolder(kSample)) << "the second window stopped with the first";
    EXPECT_TRUE(second.WaitUntilMeasured());
}

TEST_F(Browser, TreeListsTheSubfoldersLargestFirstAndFollowsChangesAndTheListHasNoSortKeyColumn) {
    ScratchFolder folder(L"D:\\BrowserTree");
    for (const auto& [name, bytes] : {std::pair{L"small", 10}, {L"big", 50000}, {L"middle", 3000}}) {
        ::CreateDirectoryW((folder / name).c_str(), nullptr);
        WriteFileOfSize(folder / name + L"\\content.bin", bytes);
    }
    BrowserProcess browser(folder.Path());
    ASSERT_TRUE(browser.WaitForFolder(folder.Path()));
    ASSERT_TRUE(browser.WaitUntilMeasured());
    const std::vector<std::wstring> titles = {L"Name", L"Size", L"Size on disk", L"Share", L"Type",
                                              L"Date modified"};
    EXPECT_EQ(browser.ColumnTitles(), titles);
    const std::vector<std::wstring> largestFirst = {L"big", L"middle", L"small"};
    EXPECT_TRUE(BecomesTrueWithin(10s, [&] { return browser.TreeChildren(folder.Path()) == largestFirst; }))
        << browser.TreeChildren(folder.Path()).size();
    EXPECT_EQ(::SendMessageW(browser.Tree(), TVM_GETNEXTITEM, TVGN_CARET, 0),
              reinterpret_cast<LRESULT>(browser.TreeItemOf(folder.Path())))
        << "the tree's selection is not the folder shown";
    EXPECT_NE(browser.StatusText(1).find(L"on disk"), std::wstring::npos) << Printable(browser.StatusText(1));
    SavePicture(browser, L"trovelle-browser-tree");

    // A folder grows past the others and one goes: the tree follows without F5.
    WriteFileOfSize(folder / L"small\\more.bin", 100000);
    RemoveTree(folder / L"middle");
    const std::vector<std::wstring> after = {L"small", L"big"};
    EXPECT_TRUE(BecomesTrueWithin(10s, [&] { return browser.TreeChildren(folder.Path()) == after; }))
        << browser.TreeChildren(folder.Path()).size();
}

// Paths past MAX_PATH: each row shows its own folder's total, never a sibling's that shares the
// first 259 characters.
TEST_F(Browser, LongPathsGetTheirOwnSizes) {
    const std::wstring base = L"D:\\LongPaths";
    const std::wstring prefix = L"\\\\?\\";
    ScratchFolder root(base);
    // 253 characters, then 309: the second is past what a column handler sees.
    const std::wstring shorter = base + L"\\" + std::wstring(253 - base.size() - 1, L'n');
    const std::wstring longer = shorter + L"\\" + std::wstring(309 - shorter.size() - 1, L'p');
    ASSERT_EQ(shorter.size(), 253u);
    ASSERT_EQ(longer.size(), 309u);
    for (const std::wstring& folder : {shorter, longer}) {
        ASSERT_TRUE(::CreateDirectoryW((prefix + folder).c_str(), nullptr)) << ::GetLastError();
    }
    for (const auto& [name, bytes] : {std::pair{L"alpha", 1000}, {L"alphabet", 7000}}) {
        for (const std::wstring& folder : {shorter, longer}) {
            ASSERT_TRUE(::CreateDirectoryW((prefix + folder + L"\\" + name).c_str(), nullptr));
            WriteFileOfSize(prefix + folder + L"\\" + name + L"\\data.bin", bytes);
        }
    }
    for (const std::wstring& folder : {shorter, longer}) {
        BrowserProcess browser(folder);
        ASSERT_TRUE(browser.WaitForFolder(folder)) << Printable(browser.Title());
        ASSERT_TRUE(browser.WaitUntilMeasured());
        EXPECT_EQ(BytesOf(browser, L"alpha"), 1000u) << folder.size();
        EXPECT_EQ(BytesOf(browser, L"alphabet"), 7000u) << folder.size();
    }
    RemoveTree(prefix + base);
}

TEST_F(Browser, DpiChangeScalesTheFontsRowsAndPanes) {
    BrowserProcess browser(kSample);
    ASSERT_TRUE(browser.WaitForFolder(kSample));
    ASSERT_TRUE(browser.WaitUntilMeasured());
    const int rowBefore = static_cast<int>(::SendMessageW(browser.Tree(), TVM_GETITEMHEIGHT, 0, 0));
    RECT treeBefore = {};
    ::GetWindowRect(browser.Tree(), &treeBefore);
    RECT suggested = {40, 30, 40 + 1100, 30 + 700};
    browser.ChangeDpi(144, suggested);
    RECT now = {};
    ::GetWindowRect(browser.Window(), &now);
    EXPECT_TRUE(::EqualRect(&now, &suggested)) << now.left << "," << now.top << " " << now.right;
    const int rowAfter = static_cast<int>(::SendMessageW(browser.Tree(), TVM_GETITEMHEIGHT, 0, 0));
    EXPECT_GE(rowAfter * 4, rowBefore * 5) << rowBefore << " -> " << rowAfter;
    RECT treeAfter = {};
    ::GetWindowRect(browser.Tree(), &treeAfter);
    EXPECT_GT(treeAfter.right - treeAfter.left, treeBefore.right - treeBefore.left);
    SavePicture(browser, L"trovelle-browser-144dpi");
}

// A visible top-level dialog of the window's process, other than its frame, or nullptr.
HWND WaitForDialogOf(const BrowserProcess& browser, const wchar_t* title = nullptr) {
    HWND found = nullptr;
    BecomesTrueWithin(10s, [&] {
        for (HWND dialog = ::FindWindowExW(nullptr, nullptr, L"#32770", title); dialog != nullptr;
             dialog = ::FindWindowExW(nullptr, dialog, L"#32770", title)) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(dialog, &process);
            if (process == ::GetProcessId(browser.Process()) && ::IsWindowVisible(dialog)) {
                found = dialog;
                return true;
            }
        }
        return false;
    });
    return found;
}

void PressMenuKeys(const std::vector<WPARAM>& keys) {
    HWND menu = nullptr;
    ASSERT_TRUE(BecomesTrueWithin(5s, [&] {
        menu = ::FindWindowW(L"#32768", nullptr);
        return menu != nullptr && ::IsWindowVisible(menu);
    })) << "no context menu";
    for (const WPARAM key : keys) {
        ::PostMessageW(menu, WM_KEYDOWN, key, 1);
        ::PostMessageW(menu, WM_KEYUP, key, 0xC0000001);
        ::Sleep(50);
    }
}

TEST_F(Browser, ContextMenuDeleteSendsAFileToTheRecycleBinAndTheTotalsFollow) {
    const ComApartment apartment;
    if (RunningUnderWine()) MakeWineTrash();
    ScratchFolder folder(L"D:\\BrowserDelete");
    const std::wstring junk = L"junk" + std::to_wstring(::GetTickCount64()) + L".bin";
    WriteFileOfSize(folder / junk, 20000);
    WriteFileOfSize(folder / L"keep.bin", 1000);
    BrowserProcess browser(folder.Path());
    ASSERT_TRUE(browser.WaitForFolder(folder.Path()));
    ASSERT_TRUE(browser.WaitUntilMeasured());
    const auto totalIs = [&](std::wstring_view total) {
        return browser.StatusText(1).compare(0, total.size(), total) == 0;
    };
    EXPECT_TRUE(BecomesTrueWithin(5s, [&] { return totalIs(L"Total: 21000,"); }))
        << Printable(browser.StatusText(1));

    const int row = browser.RowNamed(junk);
    ASSERT_GE(row, 0);
    browser.Select(row);
    browser.ContextMenuOnRow(row);
    // The shell's menu of a file ends with Delete, Rename, Properties.
    PressMenuKeys({VK_UP, VK_UP, VK_UP, VK_RETURN});
    const HWND confirm = WaitForDialogOf(browser);
    ASSERT_NE(confirm, nullptr) << "the shell asked nothing";
    ::PostMessageW(confirm, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(confirm, IDYES)));

    EXPECT_TRUE(BecomesTrueWithin(10s, [&] { return browser.RowNamed(junk) < 0; })) << "the row stayed";
    EXPECT_EQ(::GetFileAttributesW((folder / junk).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(InRecycleBin(junk)) << "deleted outright, not recycled";
    EXPECT_TRUE(BecomesTrueWithin(10s, [&] { return totalIs(L"Total: 1000,"); }))
        << Printable(browser.StatusText(1));
}

TEST_F(Browser, ExportWritesTheRowsAsCsvWithExactBytesAndIsoDates) {
    ScratchFolder folder(L"D:\\BrowserExport");
    ::CreateDirectoryW((folder / L"sub").c_str(), nullptr);
    WriteFileOfSize(folder / L"sub\\inner.bin", 70000);
    WriteFileOfSize(folder / L"a, b.txt", 12345);
    const std::wstring target = L"C:\\export-" + std::to_wstring(::GetTickCount64()) + L".csv";
    BrowserProcess browser(folder.Path());
    ASSERT_TRUE(browser.WaitForFolder(folder.Path()));
    ASSERT_TRUE(browser.WaitUntilMeasured());

    ::PostMessageW(browser.Window(), WM_COMMAND, MAKEWPARAM(40003, 0), 0);  // File, Export list
    const HWND save = WaitForDialogOf(browser);
    ASSERT_NE(save, nullptr) << "no Save dialog";
    HWND name = ::GetDlgItem(save, 0x47c);  // the file name box (cmb13), or its plain edit (edt1)
    if (name == nullptr) name = ::GetDlgItem(save, 0x480);
    ASSERT_NE(name, nullptr);
    ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(target.c_str()));
    ::PostMessageW(save, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(save, IDOK)));
    ASSERT_TRUE(BecomesTrueWithin(10s, [&] { return ::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES; }));
    ::Sleep(200);

    std::string text;
    {
        const UniqueKernelHandle file(::CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                    OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        char buffer[4096];
        DWORD read = 0;
        ASSERT_TRUE(::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr));
        text.assign(buffer, read);
    }
    ::DeleteFileW(target.c_str());
    ASSERT_EQ(text.rfind("\xEF\xBB\xBFName,Size,Size on disk,Share,Type,Date modified\r\n", 0), 0u) << text;
    // Folders first, by name; a name with a comma quoted; exact bytes; the share of 82,345
    // bytes; the date in UTC.
    const size_t sub = text.find("\r\nsub,70000,");
    const size_t quoted = text.find("\r\n\"a, b.txt\",12345,");
    EXPECT_NE(sub, std::string::npos) << text;
    EXPECT_NE(quoted, std::string::npos) << text;
    EXPECT_LT(sub, quoted);
    EXPECT_NE(text.find(",85.0,Folder,"), std::string::npos) << text;
    EXPECT_NE(text.find(",15.0,"), std::string::npos) << text;
    const size_t date = text.find("Z\r\n");
    ASSERT_NE(date, std::string::npos) << text;
    EXPECT_EQ(text[date - 9], 'T') << text;  // yyyy-mm-ddThh:mm:ssZ
}

}  // namespace
}  // namespace trovelle::test
