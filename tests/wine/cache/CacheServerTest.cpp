// The cache server through real COM from this separate client process, as the other
// deliverables use it. COM starts the installed TrovexCache.exe on first use.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "CacheExpectations.h"
#include "CacheSession.h"
#include "ChildProcess.h"
#include "Eventually.h"
#include "LeftoverServer.h"
#include "SafeVector.h"
#include "Screenshot.h"
#include "SettingsStore.h"
#include "TestFiles.h"
#include "UniqueBstr.h"
#include "UniqueHandle.h"
#include "WideText.h"

namespace trovelle {
namespace {

using Microsoft::WRL::ComPtr;
using test::ChildProcess;
using test::Connect;
using test::EventuallyFresh;
using test::SizeOf;
using test::FreshSum;
using test::StartChild;
using test::WaitForExitCode;
using test::RemoveTree;
using test::WriteFileOfSize;
using namespace std::chrono_literals;

const wchar_t kServerPath[] = L"C:\\Program Files\\Trovelle Pro\\TrovexCache.exe";
const wchar_t kClsidKey[] = L"CLSID\\{D4999363-6EB5-4ABB-92C2-B930B324E2C0}";

bool KeyExists(const wchar_t* path) {
    UniqueRegistryKey key;
    return ::RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

ChildProcess StartServer(const wchar_t* arguments) { return StartChild(kServerPath, arguments); }

DWORD RunServer(const wchar_t* arguments) {
    return WaitForExitCode(StartServer(arguments).process.Get(), 60000);
}

std::string Dump(ITrovelleCache& cache, UINT flags = 0) {
    EXPECT_EQ(test::SaveDump(cache, L"C:\\trovelle-dump.txt", flags), S_OK);
    std::ifstream in("C:\\trovelle-dump.txt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int RecordsOf(const std::string& dump, const std::string& key) {
    int count = 0;
    for (size_t at = dump.find(") " + key + "\n"); at != std::string::npos;
         at = dump.find(") " + key + "\n", at + 1)) {
        ++count;
    }
    return count;
}

class CacheServer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::CoInitialize(nullptr);
        // The tests start servers themselves; a drive-wide scan would only slow them down.
        SettingsKey::OpenForWriting(KEY_ALL_ACCESS).WriteInteger(Setting::CacheAll, 0);
    }
    static void TearDownTestSuite() { ::CoUninitialize(); }

    // A fresh tree of 321,000 bytes, whatever an earlier run left behind.
    void MakeTree(const std::wstring& root) {
        RemoveTree(root);
        ::CreateDirectoryW(root.c_str(), nullptr);
        ::CreateDirectoryW((root + L"\\Sub").c_str(), nullptr);
        ::CreateDirectoryW((root + L"\\Sub\\Deep").c_str(), nullptr);
        WriteFileOfSize(root + L"\\a.txt", 1000);
        WriteFileOfSize(root + L"\\Sub\\b.txt", 20000);
        WriteFileOfSize(root + L"\\Sub\\Deep\\c.txt", 300000);
    }
};

TEST_F(CacheServer, RegistrationIsWrittenAndRemovedAndASecondInstanceDoesNothing) {
    test::StopCacheServer();
    EXPECT_EQ(RunServer(L"/UnregServer"), 0u);
    EXPECT_FALSE(KeyExists(kClsidKey));
    EXPECT_FALSE(KeyExists(L"TrovexCache.TrovelleCache"));
    EXPECT_FALSE(KeyExists(L"TrovexCache.TrovelleCache.1"));
    EXPECT_FALSE(KeyExists(L"TrovellePro.Cache"));
    EXPECT_FALSE(KeyExists(L"TrovellePro.Cache.1"));
    EXPECT_FALSE(KeyExists(L"AppID\\{96B77635-FBA8-464A-BD23-03B7E62F5C9F}"));
    EXPECT_FALSE(KeyExists(L"AppID\\TrovexCache.EXE"));
    EXPECT_TRUE(KeyExists(L"AppID")) << "the shared AppID key stays";

    {
        // Without "-" or "/" the word is no switch: the program serves instead of registering.
        ChildProcess serving = StartServer(L"RegServer");
        ASSERT_TRUE(serving.process);
        EXPECT_EQ(::WaitForSingleObject(serving.process.Get(), 2000),
                  static_cast<DWORD>(WAIT_TIMEOUT));
        EXPECT_FALSE(KeyExists(kClsidKey));
        // Ended through its message loop, so that it withdraws its class object: a terminated
        // server stays listed with Wine's COM and every later client fails to reach it.
        ::PostThreadMessageW(serving.mainThread, WM_QUIT, 0, 0);
        EXPECT_EQ(::WaitForSingleObject(serving.process.Get(), 10000),
                  static_cast<DWORD>(WAIT_OBJECT_0));
    }
    EXPECT_EQ(RunServer(L"-regserver"), 0u);
    for (const wchar_t* key : {kClsidKey, L"TrovexCache.TrovelleCache\\CurVer",
                               L"TrovexCache.TrovelleCache.1\\CLSID", L"TrovellePro.Cache\\CurVer",
                               L"TrovellePro.Cache.1\\CLSID",
                               L"CLSID\\{D4999363-6EB5-4ABB-92C2-B930B324E2C0}\\Programmable",
                               L"CLSID\\{D4999363-6EB5-4ABB-92C2-B930B324E2C0}\\LocalServer32",
                               L"AppID\\TrovexCache.EXE",
                               L"TypeLib\\{FCB84176-4EBD-4052-8387-0848C287DA79}"}) {
        EXPECT_TRUE(KeyExists(key)) << "missing " << ToCore(key).size();
    }

    ComPtr<ITrovelleCache> cache = Connect();  // COM starts the server on first use
    ASSERT_TRUE(cache);
    EXPECT_TRUE(test::CacheServerRuns());
    EXPECT_EQ(RunServer(L"/UNREGSERVER"), 0u) << "a second instance exits at once with 0";
    EXPECT_TRUE(KeyExists(kClsidKey)) << "and unregisters nothing";
}

// As PowerShell's (New-Object -ComObject TrovellePro.Cache).GetFolderSize("...") calls it:
// the ProgID, names in any case, and the size as the call's value.
TEST_F(CacheServer, ScriptsReachItLateBoundThroughItsProgId) {
    MakeTree(L"D:\\LateBound");
    CLSID byName = {}, byVersion = {};
    ASSERT_EQ(::CLSIDFromProgID(L"TrovellePro.Cache", &byName), S_OK);
    ASSERT_EQ(::CLSIDFromProgID(L"TrovellePro.Cache.1", &byVersion), S_OK);
    EXPECT_TRUE(::IsEqualCLSID(byName, CLSID_TrovelleCache) && ::IsEqualCLSID(byVersion, CLSID_TrovelleCache));
    ComPtr<IDispatch> script;
    ASSERT_EQ(::CoCreateInstance(byName, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&script)), S_OK);

    const auto idOf = [&](const wchar_t* name, DISPID& id) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        return script->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    };
    DISPID getFolderSize = DISPID_UNKNOWN, resetCache = DISPID_UNKNOWN, unknown = DISPID_UNKNOWN;
    ASSERT_EQ(idOf(L"getFOLDERsize", getFolderSize), S_OK);
    ASSERT_EQ(idOf(L"ResetCache", resetCache), S_OK);
    EXPECT_EQ(idOf(L"GetFolderSizeFast", unknown), DISP_E_UNKNOWNNAME);

    const UniqueBstr folder = MakeBstr(L"D:\\LateBound");
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = folder.get();
    const auto invoke = [&](DISPID id, UINT count, VARIANT& result) {
        DISPPARAMS parameters = {count != 0 ? &argument : nullptr, nullptr, count, 0};
        EXCEPINFO exception = {};
        UINT badArgument = 0;
        ::VariantInit(&result);
        // Scripts ask for a method with a value both ways at once.
        return script->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                              &parameters, &result, &exception, &badArgument);
    };
    VARIANT size;
    ASSERT_EQ(invoke(getFolderSize, 1, size), S_OK);
    EXPECT_EQ(size.vt, VT_UI8);
    EXPECT_EQ(size.ullVal, 321000u);
    VARIANT nothing;
    EXPECT_EQ(invoke(resetCache, 0, nothing), S_OK);
    EXPECT_EQ(nothing.vt, VT_EMPTY);
    EXPECT_EQ(invoke(getFolderSize, 0, nothing), DISP_E_BADPARAMCOUNT);
    RemoveTree(L"D:\\LateBound");
}

TEST_F(CacheServer, SpellingsShareANodeAndOtherDrivesStayOutOfTheIndex) {
    MakeTree(L"D:\\CacheData");
    ComPtr<ITrovelleCache> cache = Connect();
    ASSERT_TRUE(cache);
    ASSERT_EQ(cache->ResetCache(), S_OK);
    EXPECT_EQ(SizeOf(*cache.Get(), L"D:\\CacheData"), 321000u);
    std::string dump = Dump(*cache.Get());
    EXPECT_EQ(RecordsOf(dump, "d:\\cachedata"), 1);
    EXPECT_EQ(RecordsOf(dump, "d:\\cachedata\\sub\\deep"), 1);
    EXPECT_NE(dump.find("d:\\cachedata\nPath valid: 1\nHave parent: 0\nSize = 1000 (0)\n"
                        "Child size = 320000 (0)\n\n"),
              std::string::npos)
        << dump;

    ::CreateDirectoryW(L"E:\\CacheData", nullptr);
    WriteFileOfSize(L"E:\\CacheData\\f", 77);
    ::CreateDirectoryW(L"N:\\CacheData", nullptr);
    WriteFileOfSize(L"N:\\CacheData\\f", 88);
    EXPECT_EQ(SizeOf(*cache.Get(), L"E:\\CacheData"), 77u);
    EXPECT_EQ(SizeOf(*cache.Get(), L"N:\\CacheData"), 88u);
    EXPECT_EQ(SizeOf(*cache.Get(), L"R:\\choice"), 2048u);
    EXPECT_EQ(SizeOf(*cache.Get(), L"\\\\server\\share\\x"), 0u);
    EXPECT_EQ(Dump(*cache.Get()), dump) << "only fixed drives enter the index";
}

TEST_F(CacheServer, EverySpellingOfAFolderGivesOneTotalBeforeAndAfterAChange) {
    MakeTree(L"D:\\CacheSpelled");
    RemoveTree(L"D:\\CacheÄrger");
    ::CreateDirectoryW(L"D:\\CacheÄrger", nullptr);
    WriteFileOfSize(L"D:\\CacheÄrger\\f", 10);
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_NE(::GetShortPathNameW(L"D:\\CacheSpelled", shortName, MAX_PATH), 0u);
    const std::wstring spellings[] = {L"D:\\CacheSpelled", L"d:\\CACHESPELLED",
                                      L"D:\\CacheSpelled\\", L"D:/CacheSpelled",
                                      L"D:\\CacheSpelled\\.", L"D:\\CacheSpelled\\Sub\\..",
                                      L"\\\\?\\D:\\CacheSpelled", shortName};
    ComPtr<ITrovelleCache> cache = Connect();
    ASSERT_TRUE(cache);
    for (const std::wstring& spelling : spellings) {
        EXPECT_EQ(SizeOf(*cache.Get(), spelling.c_str()), 321000u) << ToUtf8(spelling);
    }
    EXPECT_EQ(RecordsOf(Dump(*cache.Get()), "d:\\cachespelled"), 1);
    EXPECT_EQ(SizeOf(*cache.Get(), L"D:\\CACHEäRGER"), 10u);

    WriteFileOfSize(L"D:\\CacheSpelled\\Sub\\Deep\\c.txt", 305000);
    WriteFileOfSize(L"D:\\CacheÄrger\\f", 20);
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), L"D:\\CacheSpelled"));
    for (const std::wstring& spelling : spellings) {
        EXPECT_EQ(SizeOf(*cache.Get(), spelling.c_str()), 326000u) << ToUtf8(spelling);
    }
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), L"D:\\cacheärger"));
    EXPECT_EQ(SizeOf(*cache.Get(), L"D:\\CACHEÄRGER"), 20u);
    const UINT64 root = SizeOf(*cache.Get(), L"D:");
    EXPECT_EQ(SizeOf(*cache.Get(), L"D:\\"), root);
    EXPECT_EQ(SizeOf(*cache.Get(), L"\\\\?\\D:\\"), root);
}

TEST_F(CacheServer, LinksCountTheirTargetAndFollowItsChanges) {
    WriteFileOfSize(L"D:\\Links\\target\\file", 1000);  // as the fixtures made it, whatever ran before
    ComPtr<ITrovelleCache> cache = Connect();
    ASSERT_TRUE(cache);
    EXPECT_EQ(SizeOf(*cache.Get(), L"D:\\Links\\holder"), 1000u);
    EXPECT_EQ(SizeOf(*cache.Get(), L"D:\\Links"), 2000u);
    WriteFileOfSize(L"D:\\Links\\target\\file", 3000);  // reported under the target only
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), L"D:\\Links\\holder"));
    EXPECT_EQ(SizeOf(*cache.Get(), L"D:\\Links\\holder"), 3000u);
    EXPECT_EQ(SizeOf(*cache.Get(), L"D:\\Links"), 6000u);
}

TEST_F(CacheServer, ALatticeOfLinksAnswersItsWholeTotalAtOnce) {
    ComPtr<ITrovelleCache> cache = Connect();
    ASSERT_TRUE(cache);
    // Level n holds one byte and two links to level n+1: 2^31 - 1 bytes through level 0, while
    // listing every path would take 2^31 listings.
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(SizeOf(*cache.Get(), L"D:\\Lattice\\L0"), (UINT64{1} << 31) - 1);
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_LT(seconds, 60.0) << "a watchdog, not a measurement";
    std::printf("lattice of 30 levels answered in %.2f s\n", seconds);
}

// Sizes as Explorer's Properties counts them, through the third interface: what the files hold
// and take on disk, for a folder and in one call for its parent's known subfolders; a folder
// that is not there is a failure, never a 0.
TEST_F(CacheServer, SizesOnDiskComeThroughRealComAsTheFilesTakeThem) {
    ComPtr<ITrovelleCache> cache = Connect();
    ASSERT_TRUE(cache);
    ComPtr<ITrovelleCacheSizes> sizes;
    ASSERT_EQ(cache.As(&sizes), S_OK);
    UINT64 size = 0, onDisk = 0;
    ASSERT_EQ(sizes->GetFolderSizes(MakeBstr(test::kOnDiskFixture).get(), &size, &onDisk), S_OK);
    EXPECT_EQ((ByteTotals{size, onDisk}), test::OnDiskFixtureSizes());

    SAFEARRAY* names = nullptr;
    SAFEARRAY* totals = nullptr;
    SAFEARRAY* totalsOnDisk = nullptr;
    const UniqueBstr folder = MakeBstr(test::kOnDiskFixture);
    ASSERT_EQ(sizes->GetSubfolderSizesOnDisk(folder.get(), folder.get(), &size, &onDisk, &names,
                                             &totals, &totalsOnDisk),
              S_OK);
    const UniqueSafeArray owned[] = {UniqueSafeArray(names), UniqueSafeArray(totals),
                                     UniqueSafeArray(totalsOnDisk)};
    EXPECT_EQ((ByteTotals{size, onDisk}), test::OnDiskFixtureSizes());
    const SafeVectorAccess<BSTR, VT_BSTR> nameSlots(names);
    const SafeVectorAccess<UINT64, VT_UI8> sizeSlots(totals);
    const SafeVectorAccess<UINT64, VT_UI8> onDiskSlots(totalsOnDisk);
    ASSERT_EQ(nameSlots.size(), 1u);
    ASSERT_EQ(onDiskSlots.size(), 1u);
    EXPECT_EQ(std::wstring(nameSlots[0]), L"Dense");
    EXPECT_EQ((ByteTotals{sizeSlots[0], onDiskSlots[0]}), test::DenseFixtureSizes());

    EXPECT_EQ(sizes->GetFolderSizes(MakeBstr(L"D:\\no such folder").get(), &size, &onDisk),
              HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(size + onDisk, 0u);
}

// One call for many folders; its two arrays always agree in length.
test::SubfolderAnswer AskSubfolders(ITrovelleCacheBatch& batch, const wchar_t* parent,
                                    const wchar_t* folder) {
    test::SubfolderAnswer answer = test::AskSubfolderSizes(batch, parent, folder);
    EXPECT_EQ(answer.names, answer.sizes);
    return answer;
}

// A file of `size` bytes that takes no room: a total beyond 32 bits without writing one.
void WriteSparseFile(const std::wstring& path, LONGLONG size) {
    UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    LARGE_INTEGER end;
    end.QuadPart = size;
    ASSERT_TRUE(::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(::SetEndOfFile(file.Get()));
}

// The second interface, marshalled by the type library like the first: the folder waited for is
// measured, its siblings are answered only once final, each exactly as its own request answers.
TEST_F(CacheServer, SubfolderSizesAnswerInOneCallWhatEachRequestWouldAnswer) {
    const std::wstring root = L"D:\\CacheMany";
    RemoveTree(root);
    ::CreateDirectoryW(root.c_str(), nullptr);
    constexpr UINT64 kBeyond32Bits = 5ull << 30;
    std::map<std::wstring, UINT64> expected;
    for (int sub = 0; sub < 6; ++sub) {
        const std::wstring name = L"Sub" + std::to_wstring(sub);
        ::CreateDirectoryW((root + L"\\" + name).c_str(), nullptr);
        WriteFileOfSize(root + L"\\" + name + L"\\f.txt", 1000 * (sub + 1));
        expected[name] = 1000 * (sub + 1);
    }
    WriteSparseFile(root + L"\\Sub5\\huge.bin", kBeyond32Bits);
    expected[L"Sub5"] += kBeyond32Bits;

    ComPtr<ITrovelleCache> cache = Connect();
    ASSERT_TRUE(cache);
    ComPtr<ITrovelleCacheBatch> batch;
    ASSERT_EQ(cache.As(&batch), S_OK);
    ASSERT_EQ(cache->ResetCache(), S_OK);

    test::SubfolderAnswer first = AskSubfolders(*batch.Get(), root.c_str(), (root + L"\\sub5").c_str());
    EXPECT_EQ(first.result, S_OK);
    EXPECT_EQ(first.folderSize, expected[L"Sub5"]);
    // Spelled as asked until its parent is listed.
    for (const auto& [name, total] : first.known) {
        EXPECT_EQ(total, expected[name == L"sub5" ? L"Sub5" : name]) << name;
    }

    // New folders may be listed afresh for a while before their totals are final.
    test::SubfolderAnswer all;
    EXPECT_TRUE(BecomesTrueWithin(10s, [&] {
        SizeOf(*cache.Get(), root.c_str());
        all = AskSubfolders(*batch.Get(), L"d:/CACHEMANY/", L"D:\\CacheMany\\Sub0");
        return all.known.size() == expected.size();
    }));
    EXPECT_EQ(all.folderSize, 1000u);
    EXPECT_EQ(all.known, expected);
    for (const auto& [name, total] : all.known) {
        EXPECT_EQ(SizeOf(*cache.Get(), (root + L"\\" + name).c_str()), total) << name;
    }

    const std::wstring tooLong(40000, L'x');
    for (const auto& [parent, folder] : {std::pair<const wchar_t*, const wchar_t*>{nullptr, nullptr},
                                         {L"", L""},
                                         {tooLong.c_str(), tooLong.c_str()},
                                         {L"Q:\\no such drive", L"D:\\no such folder"}}) {
        const test::SubfolderAnswer bad = AskSubfolders(*batch.Get(), parent, folder);
        EXPECT_EQ(bad.result, S_OK);
        EXPECT_EQ(bad.folderSize, 0u);
        EXPECT_TRUE(bad.known.empty());
    }
}

TEST_F(CacheServer, BadRequestsAnswerZeroAndBadDumpsFalse) {
    // Made before the server watches D:, so that no late report of the tree's remaking can
    // take the record the dump below counts.
    MakeTree(L"D:\\CacheSlashes");
    ComPtr<ITrovelleCache> cache = Connect();
    ASSERT_TRUE(cache);
    EXPECT_EQ(SizeOf(*cache.Get(), nullptr), 0u);
    EXPECT_EQ(SizeOf(*cache.Get(), L""), 0u);
    EXPECT_EQ(SizeOf(*cache.Get(), L"D:\\no such folder"), 0u);
    EXPECT_EQ(SizeOf(*cache.Get(), L"Q:\\no such drive"), 0u);
    EXPECT_EQ(SizeOf(*cache.Get(), std::wstring(40000, L'x').c_str()), 0u);
    EXPECT_EQ(SizeOf(*cache.Get(), (L"D:\\" + std::wstring(40000, L'y')).c_str()), 0u);
    EXPECT_EQ(SizeOf(*cache.Get(), L"D:/CacheSlashes"), 321000u);
    EXPECT_EQ(SizeOf(*cache.Get(), L"D:\\CacheSlashes\\"), 321000u);

    EXPECT_EQ(test::SaveDump(*cache.Get(), L"C:\\no such folder\\dump.txt", 0), S_FALSE);
    UniqueKernelHandle held(::CreateFileW(L"C:\\held-dump.txt", GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_EQ(test::SaveDump(*cache.Get(), L"C:\\held-dump.txt", 0), S_FALSE);
    EXPECT_EQ(cache->SaveDebugInfo(nullptr, 0), S_FALSE);

    ASSERT_EQ(cache->ResetCache(), S_OK);
    EXPECT_EQ(Dump(*cache.Get()), "") << "an empty cache dumps an empty file";
    SizeOf(*cache.Get(), L"D:\\no such folder");
    SizeOf(*cache.Get(), L"D:\\CacheSlashes");
    EXPECT_EQ(Dump(*cache.Get(), 1), "") << "a request for a missing folder leaves no entry";
    const std::string counters = Dump(*cache.Get(), 3);
    EXPECT_EQ(counters.rfind("Batches applied: ", 0), 0u) << counters;
    EXPECT_NE(counters.find("\nOverflows: "), std::string::npos);
    EXPECT_NE(counters.find("\nFailed arms: "), std::string::npos);
    EXPECT_NE(counters.find("\nStale drives: "), std::string::npos);
    EXPECT_EQ(counters.find("\nUnlistable folders: 0\n"), std::string::npos)
        << "the missing folder was met: " << counters;
    EXPECT_EQ(RecordsOf(Dump(*cache.Get()), "d:\\cacheslashes"), 1);
}

TEST_F(CacheServer, AnswersFollowFilesCreatedGrownDeletedAndRenamed) {
    // A folder of its own each run: Wine goes on reporting changes in a folder made where an
    // earlier run renamed one away under the old folder's name, for as long as its wineserver
    // lives, and a server by Windows' rules has no defence against that.
    const std::wstring root = L"D:\\CacheChanges" + std::to_wstring(::GetTickCount64());
    MakeTree(root);
    ComPtr<ITrovelleCache> cache = Connect();
    ASSERT_TRUE(cache);
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), root));

    WriteFileOfSize(root + L"\\Sub\\Deep\\new.bin", 4096);
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), root)) << "file created";
    WriteFileOfSize(root + L"\\Sub\\b.txt", 50000);
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), root)) << "file grown";
    ::DeleteFileW((root + L"\\a.txt").c_str());
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), root)) << "file deleted";
    ::CreateDirectoryW((root + L"\\Sub\\Gone").c_str(), nullptr);
    WriteFileOfSize(root + L"\\Sub\\Gone\\g.txt", 7000);
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), root)) << "folder created with a file in it";
    ::DeleteFileW((root + L"\\Sub\\Gone\\g.txt").c_str());
    ASSERT_TRUE(::RemoveDirectoryW((root + L"\\Sub\\Gone").c_str()));
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), root)) << "folder deleted";
    ASSERT_TRUE(::MoveFileW((root + L"\\Sub\\Deep").c_str(), (root + L"\\Moved").c_str()));
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), root)) << "folder renamed";
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), root + L"\\Moved"));
    // Not tested: changes inside a folder after it was renamed. Wine keeps reporting them under
    // the folder's old path (or not at all), which Windows does not do.
    RemoveTree(root);
}

// Details view asks for the folders it shows, deep ones first; their changes must be followed
// whatever the order of the requests.
TEST_F(CacheServer, AFolderAskedForBeforeItsParentsFollowsChangesToo) {
    const std::wstring root = L"D:\\CacheDeepFirst";
    MakeTree(root);
    test::StopCacheServer();
    ComPtr<ITrovelleCache> cache = Connect();
    ASSERT_TRUE(cache);
    EXPECT_EQ(SizeOf(*cache.Get(), (root + L"\\Sub\\Deep").c_str()), 300000u);
    EXPECT_EQ(SizeOf(*cache.Get(), root.c_str()), 321000u);
    WriteFileOfSize(root + L"\\Sub\\Deep\\c.txt", 1000);
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), root + L"\\Sub\\Deep"));
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), root));
}

TEST_F(CacheServer, AnOverflowStormStillEndsWithRightTotals) {
    const std::wstring root = L"D:\\CacheStorm";
    MakeTree(root);
    ComPtr<ITrovelleCache> cache = Connect();
    ASSERT_TRUE(cache);
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), root));
    for (int i = 0; i < 3000; ++i) {
        WriteFileOfSize(root + L"\\Sub\\storm-" + std::to_wstring(i), 10 + i % 7);
    }
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), root));
}

TEST_F(CacheServer, ServerEndsSoonAfterReleaseServerAndTheLastClient) {
    {
        ComPtr<ITrovelleCache> cache = Connect();
        ASSERT_TRUE(cache);
        // Longer than the server's shutdown delay after its last client.
        EXPECT_TRUE(test::HoldsThroughout(6500ms, [] { return test::CacheServerRuns(); }))
            << "the server's own reference keeps it alive";
        ASSERT_EQ(cache->ReleaseServer(), S_OK);
    }
    const auto released = std::chrono::steady_clock::now();
    EXPECT_TRUE(test::BecomesTrueWithin(20s, [] { return !test::CacheServerRuns(); }, 100ms));
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - released);
    EXPECT_GT(seconds.count(), 4.5);
    EXPECT_LT(seconds.count(), 9.0);
}

TEST_F(CacheServer, CacheAllDecidesWhetherFixedDrivesAreScannedAtStart) {
    MakeTree(L"D:\\CacheAll");
    struct Case { const wchar_t* label; bool store; int64_t value; bool scans; } const cases[] = {
        {L"0", true, 0, false}, {L"1", true, 1, true}, {L"missing", false, 0, true}};
    for (const Case& c : cases) {
        test::StopCacheServer();
        SettingsKey key = SettingsKey::OpenForWriting(KEY_ALL_ACCESS);
        key.WriteInteger(Setting::EnableUpdSplash, 0);
        if (c.store) {
            key.WriteInteger(Setting::CacheAll, c.value);
        } else {
            ::RegDeleteValueW(key.Handle(), L"CacheAll");
        }
        ComPtr<ITrovelleCache> cache = Connect();
        ASSERT_TRUE(cache);
        bool scanned = false;
        for (int wait = 0; wait < 50 && !scanned; ++wait) {
            scanned = RecordsOf(Dump(*cache.Get()), "d:\\cacheall\\sub\\deep") == 1;
            if (!c.scans && wait == 20) break;  // two seconds without a scan is enough
            std::this_thread::sleep_for(100ms);
        }
        EXPECT_EQ(scanned, c.scans) << "CacheAll " << ToCore(c.label).size();
    }
    SettingsKey::OpenForWriting(KEY_ALL_ACCESS).WriteInteger(Setting::CacheAll, 0);
    test::StopCacheServer();
}

// The start-up scan of every fixed drive, with its splash (run on a display of its own).
TEST_F(CacheServer, SplashShowsWhileTheFixedDrivesAreScannedAndClosesAfter) {
    test::StopCacheServer();
    {
        SettingsKey key = SettingsKey::OpenForWriting(KEY_ALL_ACCESS);
        key.WriteInteger(Setting::CacheAll, 1);
        key.WriteInteger(Setting::EnableUpdSplash, 1);
    }
    // Started here rather than by COM: Wine starts COM servers from its service process, which
    // has no display, and a splash there is never shown.
    ChildProcess server = StartServer(L"");
    ASSERT_TRUE(server.process);
    HWND splash = nullptr;
    for (int wait = 0; wait < 250 && splash == nullptr; ++wait) {
        for (HWND dialog = ::FindWindowExW(nullptr, nullptr, L"#32770", nullptr); dialog != nullptr;
             dialog = ::FindWindowExW(nullptr, dialog, L"#32770", nullptr)) {
            if (::IsWindowVisible(dialog) &&
                ::FindWindowExW(dialog, nullptr, L"Static", L"Updating cache \u2026") != nullptr) {
                splash = dialog;
            }
        }
        if (splash == nullptr) std::this_thread::sleep_for(20ms);
    }
    ASSERT_NE(splash, nullptr) << "no splash shown while the drives were scanned";
    test::SaveScreenshot(splash, L"cache-splash");
    test::BecomesTrueWithin(60s, [&] { return !::IsWindow(splash); }, 100ms);
    EXPECT_FALSE(::IsWindow(splash)) << "the splash stayed after a minute";
    ComPtr<ITrovelleCache> cache = Connect();
    ASSERT_TRUE(cache);
    const std::string dump = Dump(*cache.Get());
    EXPECT_EQ(RecordsOf(dump, "d:\\big20k"), 1) << "D: was scanned before the splash closed";
    EXPECT_EQ(RecordsOf(dump, "c:\\windows"), 1) << "and C: too";
    SettingsKey::OpenForWriting(KEY_ALL_ACCESS).WriteInteger(Setting::CacheAll, 0);
}

}  // namespace
}  // namespace trovelle
