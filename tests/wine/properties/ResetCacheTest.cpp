// Reset cache empties a running cache server after asking, and never starts one.
#include <windows.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "CacheSession.h"
#include "ComApartment.h"
#include "LeftoverServer.h"
#include "PropertiesDriver.h"
#include "res/resource.h"

namespace trovelle::test {
namespace {

using Microsoft::WRL::ComPtr;

constexpr const wchar_t* kDumps[] = {L"C:\\reset-before.txt", L"C:\\reset-no.txt",
                                     L"C:\\reset-after.txt"};

// Size of the cache's dump in bytes; -1 when it could not be written.
int64_t DumpSize(ITrovelleCache* cache, const wchar_t* path) {
    const HRESULT result = SaveDump(*cache, path, 0);
    if (result != S_OK) return -1;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return -1;
    return (int64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

// Clicks Reset cache, checks the button is off while the question shows, answers it and waits
// for the button to come back.
void ResetThroughTheDialog(PropertiesProgram& program, int answer) {
    program.PostClick(IDC_RESET_CACHE);
    ASSERT_NE(WaitForWindow(program.ProcessId(), L"#32770", kQuestionCaption), nullptr);
    EXPECT_FALSE(program.Enabled(IDC_RESET_CACHE)) << "disabled while the reset runs";
    ASSERT_TRUE(program.Answer(answer));
    EXPECT_TRUE(WaitUntil([&] { return program.Enabled(IDC_RESET_CACHE); }, 10000));
}

TEST(ResetCache, EmptiesTheRunningServerOnlyAfterYes) {
    DeleteSettingsKey();
    ComApartment apartment;
    ComPtr<ITrovelleCache> cache;
    ASSERT_HRESULT_SUCCEEDED(CreateCacheObject(cache));
    UINT64 size = 0;
    ASSERT_HRESULT_SUCCEEDED(AskFolderSize(*cache.Get(), L"D:\\Sample", &size));
    EXPECT_GT(size, 0u);
    ASSERT_GT(DumpSize(cache.Get(), kDumps[0]), 0) << "the cache holds folders";

    PropertiesProgram program;
    ASSERT_NE(program.Dialog(), nullptr);
    ResetThroughTheDialog(program, IDNO);
    EXPECT_GT(DumpSize(cache.Get(), kDumps[1]), 0) << "No resets nothing";
    ResetThroughTheDialog(program, IDYES);
    EXPECT_EQ(DumpSize(cache.Get(), kDumps[2]), 0) << "the cache is empty";

    program.Click(IDCANCEL);
    EXPECT_EQ(program.WaitForExit(), 2);
    cache.Reset();
    StopCacheServer();
    for (const wchar_t* dump : kDumps) ::DeleteFileW(dump);
    DeleteSettingsKey();
}

TEST(ResetCache, WithoutARunningServerNothingStartsIt) {
    DeleteSettingsKey();
    StopCacheServer();
    ASSERT_FALSE(CacheServerRuns());
    PropertiesProgram program;
    ASSERT_NE(program.Dialog(), nullptr);
    ResetThroughTheDialog(program, IDYES);
    EXPECT_FALSE(CacheServerRuns());
    program.Click(IDCANCEL);
    EXPECT_EQ(program.WaitForExit(), 2);
    DeleteSettingsKey();
}

}  // namespace
}  // namespace trovelle::test
