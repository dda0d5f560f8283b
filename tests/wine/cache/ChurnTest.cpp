// Clients that come and go as the column handler's cells do (create, one call, release), beside
// long-lived clients making thousands of calls, while files change under the asked folders:
// every call must return, and the server must still serve at the end. Every wait has a bound.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "CacheExpectations.h"
#include "ChildProcess.h"
#include "LeftoverServer.h"
#include "SettingsStore.h"
#include "TestFiles.h"
#include "UniqueHandle.h"

namespace trovelle::test {
namespace {

using namespace std::chrono_literals;

const wchar_t kQuiet[] = L"D:\\Churn\\Quiet";
const wchar_t kBusy[] = L"D:\\Churn\\Busy";
const wchar_t kStopEvent[] = L"TrovelleChurnStop";
constexpr DWORD kClientBound = 60000;  // far beyond any call here: a client past it is hung
constexpr auto kChurnTime = 60s;

ChildProcess StartStressClient(const std::wstring& arguments) {
    return StartChild(BesideThisProgram(L"wine_stress_client.exe"), arguments);
}

// Waits for a client within the bound; a client past it is ended and counted as hung.
DWORD WaitForClient(ChildProcess& client, std::atomic<int>& hung) {
    const DWORD code = WaitForExitCode(client.process.Get(), kClientBound);
    if (code == 0xFFFFFFFF) {
        ++hung;
        ::TerminateProcess(client.process.Get(), 99);
    } else if (code != 0) {
        std::printf("a client ended with exit code 0x%08lX\n", static_cast<unsigned long>(code));
    }
    return code;
}

class Churn : public ServerTestSuite {};

TEST_F(Churn, ShortLivedAndLongLivedClientsAreAllAnsweredWhileFilesChange) {
    MakeQuietAndBusyFolders(L"D:\\Churn", kQuiet, kBusy);
    auto cache = Connect();
    ASSERT_TRUE(cache);
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), L"D:\\Churn"));

    UniqueKernelHandle stop(::CreateEventW(nullptr, TRUE, FALSE, kStopEvent));
    ChildProcess mutator = StartStressClient(std::wstring(L"mutate ") + kBusy + L" " + kStopEvent);
    ASSERT_TRUE(mutator.process);

    std::atomic<int> hung{0};
    std::atomic<int> failed{0};
    std::atomic<int> shortLived{0};
    std::atomic<int> longLivedRounds{0};
    std::atomic<int> churners{0};
    const auto deadline = std::chrono::steady_clock::now() + kChurnTime;
    std::vector<std::thread> loops;
    // One loop starts a client with `arguments`, waits for it (bounded) and starts the next,
    // until the time is up or a client hung.
    auto keepStarting = [&](std::wstring arguments, std::atomic<int>& started) {
        loops.emplace_back([&, arguments] {
            while (std::chrono::steady_clock::now() < deadline && hung == 0) {
                ChildProcess client = StartStressClient(arguments);
                if (!client.process || WaitForClient(client, hung) != 0) ++failed;
                ++started;
            }
        });
    };
    const std::wstring quiet = kQuiet;
    const std::wstring busy = kBusy;
    // Processes whose threads create, ask once and release as fast as they can, as a column
    // handler's cells do.
    keepStarting(L"churn " + busy + L" 10 4", churners);
    keepStarting(L"churn " + quiet + L" 10 4", churners);
    // Short-lived clients: create, one call, release, exit.
    keepStarting(L"once " + busy, shortLived);
    keepStarting(L"once " + quiet, shortLived);
    keepStarting(L"once " + busy, shortLived);
    // Long-lived clients, each making a thousand calls before the next one starts.
    keepStarting(L"ask 1000 " + quiet + L" " + busy, longLivedRounds);
    keepStarting(L"ask 1000 " + quiet + L" " + busy, longLivedRounds);
    for (std::thread& loop : loops) loop.join();
    ::SetEvent(stop.Get());
    EXPECT_EQ(WaitForExitCode(mutator.process.Get(), 30000), 0u) << "the mutator ran and stopped";

    std::printf("churn: %d short-lived clients, %d long-lived clients of 1000 calls, %d churning "
                "clients of 4 threads for 10 s, %d failed, %d hung\n", shortLived.load(),
                longLivedRounds.load(), churners.load(), failed.load(), hung.load());
    EXPECT_EQ(hung.load(), 0) << "a client waited more than " << kClientBound << " ms";
    // Of the ten thousand or so connections and calls, Wine's COM very rarely refuses one (about
    // one run in four met a single failure, printed above with its HRESULT); more than that is
    // a fault of the server.
    EXPECT_LE(failed.load(), 2);
    EXPECT_GT(shortLived.load(), 0);
    EXPECT_TRUE(CacheServerRuns());
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), kQuiet)) << "the server still answers";
}

}  // namespace
}  // namespace trovelle::test
