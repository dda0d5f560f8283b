// Cells of the three columns through the registered handler, created in-process as Explorer did.
#include "ColumnFixture.h"

#include <memory>
#include <vector>

#include "CacheServerConnection.h"
#include "Eventually.h"
#include "UniqueHandle.h"
#include "WideText.h"

namespace trovelle::test {
namespace {

constexpr DWORD kSize = 1, kSort = 2, kPercent = 3;
const std::wstring kBullets12(12, L'\u2022');

class Cells : public ColumnFixture {};

TEST_F(Cells, DefaultSettingsShowKilobytesWithoutDecimals) {
    EXPECT_CELL(File(kSize, At(L"\\zero.txt")), L"0 KB");
    EXPECT_CELL(File(kSort, At(L"\\zero.txt")), L"0");
    EXPECT_CELL(File(kSize, At(L"\\big.bin")), L"1 206 KB");  // 1205.63 KB
    EXPECT_CELL(File(kSort, At(L"\\big.bin")), L"1234567");
    StoreInteger(L"EnableCache", 0);  // the cache server has tests of its own
    EXPECT_CELL(File(kPercent, At(L"\\Pct\\quarter.bin")), kBullets12 + L" 25.00 %");
}

TEST_F(Cells, ChangedSettingsShowAtTheNextCellAndAreKeptWhenUnreadable) {
    StoreInteger(L"ViewMetric", 1);
    StoreInteger(L"DecimalDigits", 2);
    StoreCharacter(L"Separator", L'.');
    EXPECT_CELL(File(kSize, At(L"\\big.bin")), L"1.205.63 KB");
    StoreInteger(L"ViewMetric", 0);
    EXPECT_CELL(File(kSize, At(L"\\big.bin")), L"1.234.567");
    // A value that can no longer be read leaves this object's last reading in place...
    StoreRaw(L"ViewMetric", REG_BINARY, "123456789", 9);
    EXPECT_CELL(File(kSize, At(L"\\big.bin")), L"1.234.567");
    // ... while a new object starts from the default unit, KB.
    handler_ = CreateHandler();
    EXPECT_CELL(File(kSize, At(L"\\big.bin")), L"1.205.63 KB");
    // A missing key keeps the last reading as well.
    ClearSettings();
    EXPECT_CELL(File(kSize, At(L"\\big.bin")), L"1.205.63 KB");
}

// The handler keeps what it read and watches the key: a change must still reach the next cell
// when the watch was armed on a thread that has ended since, and when the key was deleted and
// made again (the settings program's reset) or did not exist when the first cell was asked.
TEST_F(Cells, AChangedSettingShowsAtTheNextCellWhateverHappenedToTheKey) {
    EXPECT_CELL(File(kSize, At(L"\\big.bin")), L"1 206 KB");  // no key yet
    StoreInteger(L"ViewMetric", 0);
    EXPECT_CELL(File(kSize, At(L"\\big.bin")), L"1 234 567");

    struct Ask {
        IColumnProvider* handler;
        std::wstring path;
        CellAnswer answer;
    } ask{handler_.Get(), At(L"\\big.bin")};
    StoreInteger(L"ViewMetric", 1);
    const UniqueKernelHandle thread(::CreateThread(
        nullptr, 0,
        [](void* context) -> DWORD {
            Ask& ask = *static_cast<Ask*>(context);
            ask.answer = AskCell(*ask.handler, kSize, ask.path, FILE_ATTRIBUTE_ARCHIVE);
            return 0;
        },
        &ask, 0, nullptr));
    ASSERT_TRUE(thread);
    ASSERT_EQ(::WaitForSingleObject(thread.Get(), 10000), WAIT_OBJECT_0);
    EXPECT_CELL(ask.answer, L"1 206 KB");
    StoreInteger(L"ViewMetric", 0);
    EXPECT_CELL(File(kSize, At(L"\\big.bin")), L"1 234 567");

    ClearSettings();
    StoreCharacter(L"Separator", L'.');
    StoreInteger(L"ViewMetric", 2);
    StoreInteger(L"DecimalDigits", 3);
    EXPECT_CELL(File(kSize, At(L"\\big.bin")), L"1.177 MB");
    ClearSettings();
    StoreInteger(L"ViewMetric", 0);
    EXPECT_CELL(File(kSize, At(L"\\big.bin")), L"1.234.567");
}

TEST_F(Cells, ViewStylesDecideWhichItemsGetCells) {
    StoreInteger(L"EnableCache", 0);
    struct Case { int64_t style; bool files; bool folders; } const cases[] = {
        {0, true, true}, {1, true, false}, {2, false, true}, {3, false, false},
        {-1, true, true}, {4, true, true}, {INT64_MAX, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        StoreInteger(L"ViewStyle", c.style);
        for (DWORD pid : {kSize, kSort, kPercent}) {
            EXPECT_EQ(File(pid, At(L"\\half.bin")).result, c.files ? S_OK : S_FALSE) << pid;
            EXPECT_EQ(Folder(pid, At(L"\\Tree")).result, c.folders ? S_OK : S_FALSE) << pid;
        }
    }
}

TEST_F(Cells, LocalSumCountsHiddenFilesWhenTheCacheIsNotExactlyOne) {
    for (int64_t enable : {0, 2, -1}) {
        SCOPED_TRACE(enable);
        StoreInteger(L"EnableCache", enable);
        EXPECT_CELL(Folder(kSort, At(L"\\Tree")), std::to_wstring(kTreeTotal));
        EXPECT_CELL(Folder(kSize, At(L"\\Empty")), L"0 KB");
        // 3500 of the drive folder's total: the parent is measured too.
        const CellAnswer percent = Folder(kPercent, At(L"\\Tree"));
        EXPECT_EQ(percent.result, S_OK);
        EXPECT_NE(percent.text.find(L" %"), std::wstring::npos);
    }
}

TEST_F(Cells, PercentAgainstTheParentFolder) {
    StoreInteger(L"EnableCache", 0);
    EXPECT_CELL(File(kPercent, At(L"\\Pct\\quarter.bin")), kBullets12 + L" 25.00 %");
    StoreInteger(L"PB_Style", 1);
    EXPECT_CELL(File(kPercent, At(L"\\Pct\\quarter.bin")), L" 25.00 %");
    StoreInteger(L"PB_Style", 2);
    EXPECT_CELL(File(kPercent, At(L"\\Pct\\quarter.bin")), kBullets12);
    StoreInteger(L"PB_Style", 0);
    StoreCharacter(L"PB_Symbol", L'|');
    EXPECT_CELL(File(kPercent, At(L"\\Pct\\rest.bin")), std::wstring(37, L'|') + L" 75.00 %");
    StoreCharacter(L"PB_Symbol", L'\0');
    EXPECT_CELL(File(kPercent, At(L"\\Pct\\quarter.bin")), L" 25.00 %");
    // A parent of 0 bytes gives an empty text, not an empty cell.
    EXPECT_CELL(File(kPercent, At(L"\\Zero\\only.txt")), L"");
}

// Without the cache the parent's total is summed here; it is kept for a second at most, so a
// parent that grew shows in the percents of its files at the next refresh after that.
TEST_F(Cells, WithoutTheCacheAPercentFollowsItsParentASecondLater) {
    StoreInteger(L"EnableCache", 0);
    const std::wstring folder = At(L"\\Grows");
    RemoveTree(folder);
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    WriteFileOfSize(folder + L"\\quarter.bin", 250);
    WriteFileOfSize(folder + L"\\rest.bin", 750);
    EXPECT_CELL(File(kPercent, folder + L"\\quarter.bin"), kBullets12 + L" 25.00 %");
    WriteFileOfSize(folder + L"\\rest.bin", 1750);
    ::Sleep(1100);
    EXPECT_CELL(File(kPercent, folder + L"\\quarter.bin"), std::wstring(6, L'\u2022') + L" 12.50 %");
    RemoveTree(folder);
}

TEST_F(Cells, AVanishedFileShowsItsWin32Error) {
    const std::wstring gone = At(L"\\vanished.txt");
    EXPECT_CELL(File(kSize, gone), L"Error code: 0x2");
    EXPECT_CELL(File(kSort, gone), L"Error code: 0x2");
    EXPECT_EMPTY_CELL(File(kPercent, gone));
    EXPECT_CELL(File(kSize, At(L"\\NoSuchFolder\\x.txt")), L"Error code: 0x3");
}

TEST_F(Cells, ARemovableDriveFolderIsMeasuredWhole) {
    StoreInteger(L"EnableCache", 0);
    EXPECT_CELL(Folder(kSort, std::wstring(kRemovableRoot) + L"\\Tree"), std::to_wstring(kTreeTotal));
    EXPECT_CELL(File(kSize, std::wstring(kRemovableRoot) + L"\\half.bin"), L"2 KB");
}

// The cache server: when it is registered its answers must equal the local sum; the error text
// for an unregistered server is checked by hiding its registration for the length of the test.
class CacheServer : public ColumnFixture {
protected:
    static bool ServerRegistered() {
        wchar_t path[MAX_PATH];
        LONG size = sizeof(path);
        return ::RegQueryValueW(HKEY_CLASSES_ROOT,
                                L"CLSID\\{D4999363-6EB5-4ABB-92C2-B930B324E2C0}\\LocalServer32",
                                path, &size) == ERROR_SUCCESS;
    }
};

TEST_F(CacheServer, FolderSizesFromTheServerMatchTheLocalSum) {
    if (!ServerRegistered()) GTEST_SKIP() << "TrovexCache.exe is not installed";
    StoreInteger(L"EnableCache", 1);
    EXPECT_CELL(Folder(kSort, At(L"\\Tree")), std::to_wstring(kTreeTotal));
    EXPECT_CELL(Folder(kSize, At(L"\\Empty")), L"0 KB");
    EXPECT_CELL(File(kPercent, At(L"\\Pct\\quarter.bin")), kBullets12 + L" 25.00 %");
    EXPECT_CELL(Folder(kSort, std::wstring(kRemovableRoot) + L"\\Tree"), std::to_wstring(kTreeTotal));
}

// Names a Windows program reaches only in the exact form: each row shows its own item, alone and
// from the answer shared by its parent's folder cells.
TEST_F(CacheServer, NamesOnlyTheExactFormReachesShowTheirOwnItems) {
    if (!ServerRegistered()) GTEST_SKIP() << "TrovexCache.exe is not installed";
    StoreInteger(L"EnableCache", 1);
    const std::wstring parent = At(L"\\HardNames");
    const std::wstring exact = L"\\\\?\\" + parent;
    RemoveTree(exact);
    ::CreateDirectoryW(exact.c_str(), nullptr);
    const std::pair<const wchar_t*, int> folders[] = {{L"dot", 400}, {L"dot.", 300}, {L"sp", 200}, {L"sp ", 100}};
    for (const auto& [name, size] : folders) {
        ASSERT_TRUE(::CreateDirectoryW((exact + L"\\" + name).c_str(), nullptr));
        WriteFileOfSize(exact + L"\\" + name + L"\\f.bin", size);
    }
    WriteFileOfSize(exact + L"\\nul.txt", 1234);
    EXPECT_CELL(File(kSort, parent + L"\\nul.txt"), L"1234");
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& [name, size] : folders) {
            SCOPED_TRACE("pass " + std::to_string(pass) + ": '" + ToUtf8(name) + "'");
            EXPECT_CELL(Folder(kSort, parent + L"\\" + name), std::to_wstring(size));
        }
        EXPECT_CELL(Folder(kSort, parent), L"2234");
        ::Sleep(1100);  // past the shared answer of the first pass
    }
    RemoveTree(exact);
}

// The folder cells of one parent share one answer from the server for a second. Whatever that
// answer did not hold (a folder made since, a spelling of another case) is still answered right,
// and a change shows once the second is over.
TEST_F(CacheServer, FolderCellsOfOneParentShareAnAnswerAndShowChangesASecondLater) {
    if (!ServerRegistered()) GTEST_SKIP() << "TrovexCache.exe is not installed";
    StoreInteger(L"EnableCache", 1);
    const std::wstring parent = At(L"\\Many");
    RemoveTree(parent);
    ::CreateDirectoryW(parent.c_str(), nullptr);
    const auto sub = [&](int number) { return parent + L"\\Sub" + std::to_wstring(number); };
    for (int number = 0; number < 8; ++number) {
        ::CreateDirectoryW(sub(number).c_str(), nullptr);
        WriteFileOfSize(sub(number) + L"\\f.bin", 100 * (number + 1));
    }
    const auto allRight = [&] {
        bool right = true;
        for (int number = 0; number < 8; ++number) {
            right &= Folder(kSort, sub(number)).text == std::to_wstring(100 * (number + 1));
        }
        return right;
    };
    // New folders may be listed afresh for a while before the server keeps their totals.
    EXPECT_TRUE(BecomesTrueWithin(std::chrono::seconds(10), allRight));
    ::Sleep(1100);
    for (int number = 7; number >= 0; --number) {
        // The parent spelled as before, the name in another case: the same folder.
        const std::wstring name =
            (number % 2 == 1 ? L"\\SUB" : L"\\sub") + std::to_wstring(number);
        EXPECT_CELL(Folder(kSort, parent + name), std::to_wstring(100 * (number + 1)));
    }
    ::CreateDirectoryW(sub(8).c_str(), nullptr);
    WriteFileOfSize(sub(8) + L"\\f.bin", 900);
    EXPECT_CELL(Folder(kSort, sub(8)), L"900");

    WriteFileOfSize(sub(0) + L"\\f.bin", 5000);
    EXPECT_TRUE(BecomesTrueWithin(std::chrono::seconds(5),
                                  [&] { return Folder(kSort, sub(0)).text == L"5000"; }));
    RemoveTree(parent);
}

// Takes the server's LocalServer32 key away and puts every value of it back afterwards.
class HiddenServer {
public:
    HiddenServer() {
        UniqueRegistryKey key;
        if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, kKey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return;
        for (DWORD index = 0;; ++index) {
            Value value;
            wchar_t name[256];
            DWORD nameLength = 256;
            BYTE data[2048];
            DWORD dataLength = sizeof(data);
            if (::RegEnumValueW(key.Get(), index, name, &nameLength, nullptr, &value.type, data,
                                &dataLength) != ERROR_SUCCESS) {
                break;
            }
            value.name.assign(name, nameLength);
            value.data.assign(data, data + dataLength);
            values_.push_back(std::move(value));
        }
        key.Reset();
        // RegDeleteTreeW removes the key itself on some systems and only its contents on others.
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kKey);
        ::RegDeleteKeyW(HKEY_CLASSES_ROOT, kKey);
        hidden_ = !values_.empty() &&
                  ::RegOpenKeyExW(HKEY_CLASSES_ROOT, kKey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS;
    }
    ~HiddenServer() {
        if (!hidden_) return;
        UniqueRegistryKey key;
        ::RegCreateKeyExW(HKEY_CLASSES_ROOT, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          key.Put(), nullptr);
        for (const Value& value : values_) {
            ::RegSetValueExW(key.Get(), value.name.empty() ? nullptr : value.name.c_str(), 0,
                             value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
        }
    }
    bool Hidden() const { return hidden_; }

private:
    static constexpr wchar_t kKey[] =
        L"CLSID\\{D4999363-6EB5-4ABB-92C2-B930B324E2C0}\\LocalServer32";
    struct Value {
        std::wstring name;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    std::vector<Value> values_;
    bool hidden_ = false;
};

TEST_F(CacheServer, AnUnregisteredServerShowsTheFailingHresult) {
    std::unique_ptr<HiddenServer> hidden;
    if (ServerRegistered()) {
        hidden = std::make_unique<HiddenServer>();
        ASSERT_TRUE(hidden->Hidden());
    }
    // A server that is still running answers through its class object even when hidden; the
    // cell must show whatever creation failure COM reports, itself and not a neighbour of it.
    // Asked as the handler asks, so that a server winding down is not taken for the failure.
    Microsoft::WRL::ComPtr<ITrovelleCache> server;
    const HRESULT hr = CreateCacheObject(server);
    if (SUCCEEDED(hr)) GTEST_SKIP() << "the running server still answers";
    wchar_t expected[40];
    swprintf(expected, 40, L"Error code: 0x%X", static_cast<unsigned>(hr));
    StoreInteger(L"EnableCache", 1);
    EXPECT_CELL(Folder(kSize, At(L"\\Tree")), expected);
    EXPECT_CELL(Folder(kSort, At(L"\\Tree")), expected);
    EXPECT_EMPTY_CELL(Folder(kPercent, At(L"\\Tree")));
    EXPECT_EMPTY_CELL(File(kPercent, At(L"\\Pct\\quarter.bin")));
    EXPECT_CELL(File(kSize, At(L"\\half.bin")), L"2 KB");  // files never ask the server
}

}  // namespace
}  // namespace trovelle::test
