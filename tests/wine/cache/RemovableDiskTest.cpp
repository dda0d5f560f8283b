// A disk that reports itself fixed but can be removed (a USB hard disk): the server lets go of it
// when the system asks, watches it again when the removal fails, and forgets it once it is gone.
// The device messages go to the server's window as the system sends them.
#include <windows.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "CacheExpectations.h"
#include "LeftoverServer.h"
#include "TestFiles.h"

namespace trovelle::test {
namespace {

const wchar_t kFolder[] = L"D:\\Removal";

std::string DumpWithHeader(ITrovelleCache& cache) {
    const wchar_t file[] = L"C:\\trovelle-removal-dump.txt";
    EXPECT_EQ(SaveDump(cache, file, 2), S_OK);
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The handle through which the server watches drive D:, or null when it watches none.
HANDLE WatchedRootOfD(ITrovelleCache& cache) {
    const std::string dump = DumpWithHeader(cache);
    const size_t at = dump.find("Watch d: ");
    if (at == std::string::npos) return nullptr;
    return reinterpret_cast<HANDLE>(std::stoull(dump.substr(at + 9), nullptr, 16));
}

bool CachesTheFolder(ITrovelleCache& cache) {
    return DumpWithHeader(cache).find(") d:\\removal\n") != std::string::npos;
}

LRESULT SendDeviceEvent(WPARAM event, HANDLE directory) {
    const HWND window = ::FindWindowExW(HWND_MESSAGE, nullptr, L"TrovexCacheDeviceEvents", nullptr);
    EXPECT_NE(window, nullptr) << "the server has no window for device events";
    DEV_BROADCAST_HANDLE about{};
    about.dbch_size = sizeof about;
    about.dbch_devicetype = DBT_DEVTYP_HANDLE;
    about.dbch_handle = directory;
    return ::SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&about));
}

class RemovableFixedDisk : public ServerTestSuite {
protected:
    void TearDown() override { StopCacheServer(); }
};

TEST_F(RemovableFixedDisk, IsLetGoWhenAskedWatchedAgainWhenTheRemovalFailsAndForgottenAfter) {
    StopCacheServer();  // so the folder is no new one to the server, which would not store it
    RemoveTree(kFolder);
    ::CreateDirectoryW(kFolder, nullptr);
    WriteFileOfSize(std::wstring(kFolder) + L"\\a.bin", 1000);
    auto cache = Connect();
    ASSERT_TRUE(cache);
    EXPECT_EQ(SizeOf(*cache.Get(), kFolder), 1000u);
    const HANDLE root = WatchedRootOfD(*cache.Get());
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(CachesTheFolder(*cache.Get()));

    EXPECT_EQ(SendDeviceEvent(DBT_DEVICEQUERYREMOVE, root), TRUE);
    EXPECT_EQ(WatchedRootOfD(*cache.Get()), nullptr) << "the watch still holds the disk";
    EXPECT_FALSE(CachesTheFolder(*cache.Get())) << "it kept totals no change can reach";
    EXPECT_EQ(SizeOf(*cache.Get(), kFolder), 1000u) << "summed while the removal runs";
    EXPECT_EQ(WatchedRootOfD(*cache.Get()), nullptr) << "a request took the disk again";

    // Something else held the disk, so the removal failed: it is watched and cached again.
    SendDeviceEvent(DBT_DEVICEQUERYREMOVEFAILED, root);
    const HANDLE again = WatchedRootOfD(*cache.Get());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(SizeOf(*cache.Get(), kFolder), 1000u);
    EXPECT_TRUE(CachesTheFolder(*cache.Get()));

    // Removed: nothing of it stays, and nothing watches it.
    SendDeviceEvent(DBT_DEVICEQUERYREMOVE, again);
    SendDeviceEvent(DBT_DEVICEREMOVECOMPLETE, again);
    EXPECT_EQ(WatchedRootOfD(*cache.Get()), nullptr);
    EXPECT_FALSE(CachesTheFolder(*cache.Get()));
}

}  // namespace
}  // namespace trovelle::test
