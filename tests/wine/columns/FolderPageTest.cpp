// The "Trovelle Pro" page of a folder's Properties, in a property sheet made the way Explorer
// makes it, read back from its controls: totals against a fresh walk, with the cache server and
// summed here, several folders, a folder that cannot be read, and a sheet closed while the page
// still measures. A picture of the page is saved as folder-page.png.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "ColumnTestSupport.h"
#include "ChildProcess.h"
#include "ComApartment.h"
#include "Eventually.h"
#include "LeftoverServer.h"
#include "PropertiesSheet.h"
#include "ResourceIds.h"
#include "Screenshot.h"
#include "TestFiles.h"

namespace trovelle::test {
namespace {

using namespace std::chrono_literals;

const std::wstring kMeasuring = L"Measuring\u2026";
constexpr wchar_t kRoot[] = L"D:\\TrovexPage";

// What the walk of the folder gives, counted here without the product.
uint64_t FreshSum(const std::wstring& folder) {
    uint64_t total = 0;
    WIN32_FIND_DATAW found;
    const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            total += FreshSum(folder + L"\\" + name);
        } else {
            total += (uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
        }
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    return total;
}

// The exact count of a size written as Explorer writes it, "587 KB (601,000 bytes)": the digits
// within the brackets, whatever the locale put between them.
uint64_t ExactCountOf(const std::wstring& text) {
    uint64_t value = 0;
    for (size_t at = text.find(L'('); at < text.size(); ++at) {
        if (text[at] >= L'0' && text[at] <= L'9') value = value * 10 + (text[at] - L'0');
    }
    return value;
}

class FolderPage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::wstring root = kRoot;
        RemoveTree(root);
        for (const wchar_t* folder : {L"", L"\\Data", L"\\Data\\Big", L"\\Data\\Big\\Deep",
                                      L"\\Data\\Mid", L"\\Other"}) {
            ::CreateDirectoryW((root + folder).c_str(), nullptr);
        }
        WriteFileOfSize(root + L"\\Data\\Big\\one.bin", 300000);
        WriteFileOfSize(root + L"\\Data\\Big\\Deep\\two.bin", 200000);
        WriteFileOfSize(root + L"\\Data\\Mid\\three.bin", 100000);
        WriteFileOfSize(root + L"\\Data\\small.txt", 1000);
        WriteFileOfSize(root + L"\\Other\\four.bin", 24000);
        WriteFileOfSize(root + L"\\loose.bin", 5000);
        // The cache server lists a new folder again until it has settled.
        ::Sleep(3000);
    }
    void SetUp() override {
        ASSERT_TRUE(apartment_);
        ClearSettings();
        StoreInteger(L"CacheAll", 0);  // no drive-wide scan (and its window) when a server starts
    }
    void TearDown() override { ClearSettings(); }

    static std::wstring At(const wchar_t* relative) { return std::wstring(kRoot) + relative; }

    const ComApartment apartment_;
};

TEST_F(FolderPage, OneFolderShowsItsTotalAndLargestItems) {
    for (const int64_t cache : {1, 0}) {
        SCOPED_TRACE(cache == 1 ? "from the cache server" : "summed by the page");
        StoreInteger(L"EnableCache", cache);
        PropertiesSheet sheet({At(L"\\Data")});
        ASSERT_TRUE(sheet.Opened());
        EXPECT_EQ(sheet.Text(IDC_TOTAL), kMeasuring) << "the page shows before any answer";
        ASSERT_TRUE(sheet.WaitForAnswer(kMeasuring, 30s)) << "no answer came";

        // 601,000 bytes: the size column's text with the default settings, and the exact count;
        // on disk, each file fills whole 4 KiB clusters.
        EXPECT_EQ(sheet.Text(IDC_TOTAL), L"587 KB (601,000 bytes)");
        EXPECT_EQ(ExactCountOf(sheet.Text(IDC_TOTAL)), FreshSum(At(L"\\Data")));
        EXPECT_EQ(sheet.Text(IDC_ON_DISK), L"596 KB (610,304 bytes)");
        EXPECT_FALSE(sheet.Visible(IDC_SELECTED));

        const std::vector<std::vector<std::wstring>> rows = sheet.Rows();
        ASSERT_EQ(rows.size(), 3u);
        // Big holds 500,000 of 601,000 bytes: 41 symbols (one per full 2 %) and 83.19 %.
        EXPECT_EQ(rows[0], (std::vector<std::wstring>{L"Big", L"488 KB", L"492 KB",
                                                      std::wstring(41, L'\u2022') + L" 83.19 %"}));
        EXPECT_EQ(rows[1][0], L"Mid");
        EXPECT_EQ(rows[2],
                  (std::vector<std::wstring>{L"small.txt", L"1 KB", L"4 KB", L" 0.17 %"}));
        if (cache == 1) {
            sheet.Pump(300ms);
            SaveScreenshot(sheet.Sheet(), L"folder-page", CaptureArea::Window);
        }
    }
}

TEST_F(FolderPage, SettingsShapeTheTexts) {
    StoreInteger(L"ViewMetric", 0);
    StoreCharacter(L"Separator", L'.');
    StoreInteger(L"PB_Style", 1);
    PropertiesSheet sheet({At(L"\\Data")});
    ASSERT_TRUE(sheet.WaitForAnswer(kMeasuring, 30s));
    EXPECT_EQ(sheet.Text(IDC_TOTAL), L"601.000 (601,000 bytes)");
    const std::vector<std::vector<std::wstring>> rows = sheet.Rows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0][1], L"500.000");
    EXPECT_EQ(rows[0][3], L" 83.19 %");
}

TEST_F(FolderPage, SeveralItemsShowTheirSumAndCount) {
    PropertiesSheet sheet({At(L"\\Data"), At(L"\\Other"), At(L"\\loose.bin")});
    ASSERT_TRUE(sheet.Opened());
    ASSERT_TRUE(sheet.WaitForAnswer(kMeasuring, 30s));
    EXPECT_EQ(ExactCountOf(sheet.Text(IDC_TOTAL)),
              FreshSum(At(L"\\Data")) + FreshSum(At(L"\\Other")) + 5000);
    EXPECT_EQ(sheet.Text(IDC_SELECTED), L"2 folders, 1 file");
    EXPECT_EQ(sheet.Text(IDC_PAGE_NAME), L"3 items");
    EXPECT_FALSE(sheet.Visible(IDC_LARGEST));
    EXPECT_FALSE(sheet.Visible(IDC_OPEN)) << "the program opens one folder";
}

// A drive's Properties name its root with a trailing separator; a network drive is summed in
// full by the server as it is by the page.
TEST_F(FolderPage, ADriveRootShowsItsWholeContent) {
    const std::wstring folder = L"N:\\TrovexPage";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    WriteFileOfSize(folder + L"\\a.bin", 4000);
    for (const int64_t cache : {1, 0}) {
        SCOPED_TRACE(cache);
        StoreInteger(L"EnableCache", cache);
        PropertiesSheet sheet({L"N:\\"});
        ASSERT_TRUE(sheet.Opened());
        ASSERT_TRUE(sheet.WaitForAnswer(kMeasuring, 30s));
        EXPECT_EQ(ExactCountOf(sheet.Text(IDC_TOTAL)), FreshSum(L"N:"));
        // Other tests leave a few folders of their own on the drive.
        const std::vector<std::vector<std::wstring>> rows = sheet.Rows();
        const auto ours = std::find_if(rows.begin(), rows.end(), [](const auto& row) {
            return row[0] == L"TrovexPage";
        });
        ASSERT_NE(ours, rows.end());
        EXPECT_EQ((*ours)[1], L"4 KB");
    }
    RemoveTree(folder);
}

TEST_F(FolderPage, AFolderThatCannotBeReadShowsWhyAndNoNumber) {
    for (const int64_t cache : {1, 0}) {
        SCOPED_TRACE(cache);
        StoreInteger(L"EnableCache", cache);
        const std::wstring gone = At(L"\\Gone");
        ::CreateDirectoryW(gone.c_str(), nullptr);
        WriteFileOfSize(gone + L"\\file.bin", 7000);
        // Explorer had the folder's ID list; the folder went before the page measured it.
        PropertiesSheet sheet({gone, At(L"\\Other")}, [&] { RemoveTree(gone); });
        ASSERT_TRUE(sheet.Opened());
        ASSERT_TRUE(sheet.WaitForAnswer(kMeasuring, 30s));
        const std::wstring text = sheet.Text(IDC_TOTAL);
        EXPECT_EQ(text.rfind(L"Cannot read " + gone + L": ", 0), 0u) << text.c_str();
        EXPECT_EQ(sheet.Text(IDC_ON_DISK), L"");
        if (cache == 1) {
            sheet.Pump(300ms);
            SaveScreenshot(sheet.Sheet(), L"folder-page-error", CaptureArea::Window);
        }
    }
}

// "Done when": a folder holding a 100 MB sparse file, dense files and a hard link shows what its
// files hold and what they take, to the byte, and its largest items sort by either.
TEST_F(FolderPage, ShowsSizeAndSizeOnDiskToTheByteAndSortsByEither) {
    PropertiesSheet sheet({kOnDiskFixture});
    ASSERT_TRUE(sheet.Opened());
    ASSERT_TRUE(sheet.WaitForAnswer(kMeasuring, 30s));
    EXPECT_EQ(ExactCountOf(sheet.Text(IDC_TOTAL)), OnDiskFixtureSizes().bytes);
    EXPECT_EQ(ExactCountOf(sheet.Text(IDC_ON_DISK)), OnDiskFixtureSizes().onDisk);
    const auto firstAndLast = [&] {
        const std::vector<std::vector<std::wstring>> rows = sheet.Rows();
        return rows.empty() ? std::wstring() : rows.front()[0] + L"/" + rows.back()[0];
    };
    EXPECT_EQ(firstAndLast(), L"sparse.vhd/twin.bin");
    NMLISTVIEW click{};
    click.hdr = {::GetDlgItem(sheet.Page(), IDC_LARGEST), IDC_LARGEST, LVN_COLUMNCLICK};
    click.iSubItem = 2;  // On disk
    ::SendMessageW(sheet.Page(), WM_NOTIFY, IDC_LARGEST, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(firstAndLast(), L"Dense/sparse.vhd");
    sheet.Pump(300ms);
    SaveScreenshot(sheet.Sheet(), L"folder-page-on-disk", CaptureArea::Window);
}

// The library loaded from `path`, and a folder-page handler made by it.
Microsoft::WRL::ComPtr<IShellExtInit> HandlerFrom(const std::wstring& path) {
    const HMODULE library = ::LoadLibraryW(path.c_str());  // stays: its pages may still measure
    EXPECT_NE(library, nullptr);
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto get = reinterpret_cast<GetClassObject>(::GetProcAddress(library, "DllGetClassObject"));
    Microsoft::WRL::ComPtr<IClassFactory> factory;
    Microsoft::WRL::ComPtr<IShellExtInit> handler;
    if (get == nullptr || FAILED(get(kTrovexFolderProperties, IID_PPV_ARGS(&factory)))) return handler;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&handler)), S_OK);
    return handler;
}

std::wstring ReadRecord(const std::wstring& path) {
    FILE* record = _wfopen(path.c_str(), L"r, ccs=UTF-8");
    if (record == nullptr) return {};
    std::wstring text;
    wchar_t line[512];
    while (std::fgetws(line, 512, record) != nullptr) text += line;
    std::fclose(record);
    return text;
}

// The button starts the program found beside the library, with the folder as its one argument
// (a drive root is where quoting goes wrong), and is hidden while no such program is there.
TEST_F(FolderPage, OpenStartsTheProgramBesideTheLibraryAtTheFolder) {
    const std::wstring install = L"C:\\Trovex Page Button";
    const std::wstring record = install + L"\\argument.txt";
    RemoveTree(install);
    ::CreateDirectoryW(install.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileW(TrovexPath().c_str(), (install + L"\\Trovex.dll").c_str(), FALSE));
    const Microsoft::WRL::ComPtr<IShellExtInit> first = HandlerFrom(install + L"\\Trovex.dll");
    ASSERT_TRUE(first);
    {
        PropertiesSheet sheet({L"N:\\"}, nullptr, first);
        ASSERT_TRUE(sheet.Opened());
        EXPECT_FALSE(sheet.Visible(IDC_OPEN)) << "shown without the program beside the library";
    }
    ASSERT_TRUE(::CopyFileW(BesideThisProgram(L"wine_argument_recorder.exe").c_str(),
                            (install + L"\\TrovelleBrowser.exe").c_str(), FALSE));
    ::SetEnvironmentVariableW(L"TROVELLE_RECORD", record.c_str());
    PropertiesSheet sheet({L"N:\\"}, nullptr, HandlerFrom(install + L"\\Trovex.dll"));
    ASSERT_TRUE(sheet.Opened());
    ASSERT_TRUE(sheet.Visible(IDC_OPEN));
    ::SendMessageW(sheet.Page(), WM_COMMAND, MAKEWPARAM(IDC_OPEN, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(sheet.Page(), IDC_OPEN)));
    EXPECT_TRUE(BecomesTrueWithin(20s, [&] { return !ReadRecord(record).empty(); }));
    EXPECT_EQ(ReadRecord(record), L"N:\\\n");
}

// A page whose cache server has still to be started (a second's wait under Wine) is closed
// before its answer: the library stays while the measurement runs, then unloads, which it can
// only do once the measuring thread has let it go at its very end.
TEST(FolderPageClosing, TheLibraryStaysUntilTheMeasurementEndsThenUnloads) {
    const ComApartment apartment;
    ASSERT_TRUE(apartment);
    StopCacheServer();
    ClearSettings();
    StoreInteger(L"CacheAll", 0);
    const std::wstring folder = L"D:\\TrovexPageClosing";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    WriteFileOfSize(folder + L"\\file.bin", 1000);
    {
        PropertiesSheet sheet({folder});
        ASSERT_TRUE(sheet.Opened());
        ASSERT_EQ(sheet.Text(IDC_TOTAL), kMeasuring);
        sheet.Close();
    }
    ::CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_NE(::GetModuleHandleW(L"Trovex.dll"), nullptr) << "unloaded under a running measurement";
    EXPECT_TRUE(BecomesTrueWithin(30s, [] {
        ::CoFreeUnusedLibrariesEx(0, 0);
        return ::GetModuleHandleW(L"Trovex.dll") == nullptr;
    })) << "the library never became free";
    ClearSettings();
    RemoveTree(folder);
}

}  // namespace
}  // namespace trovelle::test
