// The cache server's totals while Trovelle Pro's window shows a folder: the window watches what it
// shows, and under Wine another process's watch decides which changes reach the server's.
#include <windows.h>
#include <shellapi.h>
#include <wrl/client.h>

#include <chrono>
#include <string>

#include "BrowserProcess.h"
#include "CacheSession.h"
#include "Eventually.h"
#include "LeftoverServer.h"
#include "TestFiles.h"
#include "WideText.h"
#include <gtest/gtest.h>

namespace trovelle::test {
namespace {

using driver::BrowserProcess;
using Microsoft::WRL::ComPtr;
using namespace std::chrono_literals;

constexpr wchar_t kHolder[] = L"D:\\BesideTheWindow";
constexpr wchar_t kShown[] = L"D:\\BesideTheWindow\\Shown";
constexpr int kSubfolders = 40;
constexpr uint64_t kGrowth = 500000;

std::wstring Subfolder(int index) {
    wchar_t name[16];
    ::swprintf(name, 16, L"\\s%02d", index);
    return kShown + std::wstring(name);
}

class ServerBesideTheWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::CoInitialize(nullptr); }
    static void TearDownTestSuite() { ::CoUninitialize(); }

    // A tree no server has measured: each subfolder holds a file and one two levels down.
    void SetUp() override {
        StopCacheServer();
        RemoveTree(kHolder);
        ::CreateDirectoryW(kHolder, nullptr);
        ::CreateDirectoryW(kShown, nullptr);
        for (int index = 0; index < kSubfolders; ++index) {
            ::CreateDirectoryW(Subfolder(index).c_str(), nullptr);
            ::CreateDirectoryW((Subfolder(index) + L"\\inner").c_str(), nullptr);
            WriteFileOfSize(Subfolder(index) + L"\\file.bin", 100);
            WriteFileOfSize(Subfolder(index) + L"\\inner\\deep.bin", 1000);
        }
    }
    void TearDown() override { RemoveTree(kHolder); }

    // What the server answers for `folder` reaches what the folder holds within ten seconds.
    static ::testing::AssertionResult ServerFollows(const std::wstring& folder) {
        ComPtr<ITrovelleCache> cache = ConnectToCacheServer();
        if (!cache) return ::testing::AssertionFailure() << "no cache server";
        UINT64 answered = 0;
        UINT64 fresh = 0;
        const bool followed = BecomesTrueWithin(10s, [&] {
            fresh = FreshSum(folder);
            return SUCCEEDED(AskFolderSize(*cache.Get(), folder.c_str(), &answered)) &&
                   answered == fresh;
        });
        if (followed) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << ToUtf8(folder) << ": the server answers " << answered << ", the disk holds " << fresh;
    }

    static void Grow(int index) {
        WriteFileOfSize(Subfolder(index) + L"\\inner\\deep.bin", 1000 + kGrowth);
    }
};

TEST_F(ServerBesideTheWindow, GrowthBelowTheShownFolderReachesTheServerWhileShownAndAfterwards) {
    BrowserProcess browser(kShown);
    ASSERT_TRUE(browser.WaitForFolder(kShown));
    ASSERT_TRUE(browser.WaitUntilMeasured());
    ASSERT_TRUE(ServerFollows(kShown));

    Grow(7);
    EXPECT_TRUE(ServerFollows(Subfolder(7)));
    EXPECT_TRUE(ServerFollows(kShown));
    EXPECT_TRUE(ServerFollows(kHolder));

    // The window's watch of the folder ends when it goes up; the server's must go on.
    browser.PressKey(browser.List(), VK_BACK);
    ASSERT_TRUE(browser.WaitForFolder(kHolder));
    ASSERT_TRUE(browser.WaitUntilMeasured());
    Grow(8);
    WriteFileOfSize(std::wstring(kShown) + L"\\new.bin", 3000);
    EXPECT_TRUE(ServerFollows(Subfolder(8)));
    EXPECT_TRUE(ServerFollows(kShown));
    EXPECT_TRUE(ServerFollows(kHolder));
}

TEST_F(ServerBesideTheWindow, TheShownTreeDeletedThroughTheShellLeavesNoTotalBehind) {
    WriteFileOfSize(std::wstring(kHolder) + L"\\kept.bin", 700);
    BrowserProcess browser(kShown);
    ASSERT_TRUE(browser.WaitForFolder(kShown));
    ASSERT_TRUE(browser.WaitUntilMeasured());
    ASSERT_TRUE(ServerFollows(kHolder));

    std::wstring from = kShown;
    from.push_back(L'\0');  // the list of paths ends with an empty one
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    // The window may be listing a subfolder at that moment (its tree and treemap ask below the
    // folder shown), and a folder being listed cannot go yet: tried again, as a user would.
    ASSERT_TRUE(BecomesTrueWithin(10s, [&] { return ::SHFileOperationW(&operation) == 0; }));
    // Under Wine a deleted folder stays until every handle on it is closed: neither the window
    // nor the server may keep one on an emptied folder.
    EXPECT_TRUE(BecomesTrueWithin(5s, [] {
        return ::GetFileAttributesW(kShown) == INVALID_FILE_ATTRIBUTES;
    })) << "the deleted folder is still there";
    EXPECT_TRUE(ServerFollows(kHolder));
    ComPtr<ITrovelleCache> cache = ConnectToCacheServer();
    ASSERT_TRUE(cache);
    UINT64 holder = 0;
    ASSERT_EQ(AskFolderSize(*cache.Get(), kHolder, &holder), S_OK);
    EXPECT_EQ(holder, 700u);
}

}  // namespace
}  // namespace trovelle::test
