// The server under misuse and load: ReleaseServer more than once, a dump that cannot be written
// while others ask, CreateCache again while its scans run, and a storm that overflows the
// change buffer, with a bound on the server's threads.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "CacheExpectations.h"
#include "Eventually.h"
#include "LeftoverServer.h"
#include "SettingsStore.h"
#include "TestFiles.h"
#include "UniqueHandle.h"

namespace trovelle::test {
namespace {

using namespace std::chrono_literals;

DWORD ServerProcessId() {
    const std::vector<DWORD> ids = CacheServerProcessIds();
    return ids.empty() ? 0 : ids.front();
}

// The process's threads for which `counts` (given the thread id) is true.
template <typename Counts>
int ThreadsOf(DWORD process, Counts counts) {
    UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot.Get(), &entry); more;
         more = ::Thread32Next(snapshot.Get(), &entry)) {
        if (entry.th32OwnerProcessID == process && counts(entry.th32ThreadID)) ++count;
    }
    return count;
}

int ThreadsOf(DWORD process) {
    return ThreadsOf(process, [](DWORD) { return true; });
}

// Threads at idle priority: one that a busy machine preempts while it holds the cache lock
// would keep every client waiting.
int IdleThreadsOf(DWORD process) {
    return ThreadsOf(process, [](DWORD id) {
        UniqueKernelHandle thread(::OpenThread(THREAD_QUERY_INFORMATION, FALSE, id));
        return thread && ::GetThreadPriority(thread.Get()) == THREAD_PRIORITY_IDLE;
    });
}

class ServerUnderMisuse : public ServerTestSuite {
protected:
    static void SetUpTestSuite() {
        ServerTestSuite::SetUpTestSuite();
        SettingsKey::OpenForWriting(KEY_ALL_ACCESS).WriteInteger(Setting::EnableUpdSplash, 0);
    }
};

TEST_F(ServerUnderMisuse, ReleaseServerTwiceGivesUpTheServersReferenceOnce) {
    StopCacheServer();
    RemoveTree(L"D:\\Twice");
    ::CreateDirectoryW(L"D:\\Twice", nullptr);
    WriteFileOfSize(L"D:\\Twice\\f", 777);
    auto first = Connect();
    auto second = Connect();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->ReleaseServer(), S_OK);
    EXPECT_EQ(second->ReleaseServer(), S_OK);
    EXPECT_EQ(first->ReleaseServer(), S_OK);
    EXPECT_EQ(SizeOf(*second.Get(), L"D:\\Twice"), 777u);
    first.Reset();
    auto third = Connect();  // the class object and the cache object are whole
    ASSERT_TRUE(third);
    EXPECT_EQ(SizeOf(*third.Get(), L"D:\\Twice"), 777u);
    second.Reset();
    third.Reset();
    // With every client gone the server ends as usual, about six seconds later.
    EXPECT_TRUE(BecomesTrueWithin(20s, [] { return !CacheServerRuns(); }, 100ms));
}

TEST_F(ServerUnderMisuse, ADumpThatCannotBeWrittenStallsNoOtherClient) {
    auto cache = Connect();
    ASSERT_TRUE(cache);
    EXPECT_GT(SizeOf(*cache.Get(), L"D:\\Big20k"), 0u);  // 2,000 folders to dump
    // A pipe nobody reads: the dump's writes block once its small buffer is full.
    const wchar_t pipeName[] = L"\\\\.\\pipe\\trovelle-stuck-dump";
    UniqueKernelHandle pipe(::CreateNamedPipeW(pipeName, PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1, 1,
                                               1, 0, nullptr));
    ASSERT_TRUE(pipe);
    std::thread dumper([] {
        ::CoInitialize(nullptr);
        {
            auto other = Connect();
            if (other) SaveDump(*other.Get(), L"\\\\.\\pipe\\trovelle-stuck-dump", 0);
        }
        ::CoUninitialize();
    });
    std::this_thread::sleep_for(2s);  // the dump is under way and stuck by now
    for (int call = 0; call < 20; ++call) {
        const auto asked = std::chrono::steady_clock::now();
        EXPECT_GT(SizeOf(*cache.Get(), L"D:\\Big20k"), 0u);
        cache->ResetCache();  // takes the cache lock too
        EXPECT_LT(std::chrono::steady_clock::now() - asked, 10s) << "call " << call;
    }
    // Read the pipe dry, so that the dump ends.
    char buffer[4096];
    DWORD read = 0;
    const auto draining = std::chrono::steady_clock::now();
    while (::ReadFile(pipe.Get(), buffer, sizeof buffer, &read, nullptr) && read != 0 &&
           std::chrono::steady_clock::now() - draining < 60s) {
    }
    pipe.Reset();
    dumper.join();
}

TEST_F(ServerUnderMisuse, CreateCacheWhileItsScansRunStartsNothingMore) {
    StopCacheServer();
    auto cache = Connect();
    ASSERT_TRUE(cache);
    const DWORD server = ServerProcessId();
    ASSERT_NE(server, 0u);
    const int before = ThreadsOf(server);
    ASSERT_EQ(cache->CreateCache(), S_OK);
    const int scanning = ThreadsOf(server);
    EXPECT_EQ(IdleThreadsOf(server), 0) << "a drive scan runs at idle priority";
    for (int again = 0; again < 5; ++again) ASSERT_EQ(cache->CreateCache(), S_OK);
    const int afterAgain = ThreadsOf(server);
    std::printf("server threads: %d before, %d while scanning, %d after five more calls\n",
                before, scanning, afterAgain);
    EXPECT_LE(afterAgain, scanning) << "a second CreateCache started threads of its own";
    // Once the scans are done, a new call scans again (from the cache where it is valid).
    BecomesTrueWithin(60s, [&] { return ThreadsOf(server) <= before; }, 100ms);
    EXPECT_EQ(cache->CreateCache(), S_OK);
    EXPECT_TRUE(CacheServerRuns());
}

TEST_F(ServerUnderMisuse, AStormThatOverflowsTheBufferEndsRightWithFewThreads) {
    const std::wstring root = L"D:\\Overflow";
    RemoveTree(root);
    ::CreateDirectoryW(root.c_str(), nullptr);
    for (int folder = 0; folder < 10; ++folder) {
        ::CreateDirectoryW((root + L"\\f" + std::to_wstring(folder)).c_str(), nullptr);
    }
    auto cache = Connect();
    ASSERT_TRUE(cache);
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), root));
    const DWORD server = ServerProcessId();
    const int before = ThreadsOf(server);
    int most = before;
    for (int file = 0; file < 20000; ++file) {
        WriteFileOfSize(root + L"\\f" + std::to_wstring(file % 10) + L"\\x" + std::to_wstring(file),
                        file % 50);
        if (file % 500 == 0) most = std::max(most, ThreadsOf(server));
    }
    most = std::max(most, ThreadsOf(server));
    std::printf("server threads during the storm: %d before, at most %d\n", before, most);
    EXPECT_LE(most, before + 4) << "batch threads piled up";
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), root));
}

}  // namespace
}  // namespace trovelle::test
