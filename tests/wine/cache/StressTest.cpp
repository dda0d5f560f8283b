// Load: many client processes against one server while files change. (A server killed in the
// middle of a scan is tested by killed-server.sh: Wine recovers from that only between runs.)
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CacheExpectations.h"
#include "ChildProcess.h"
#include "LeftoverServer.h"
#include "SettingsStore.h"
#include "TestFiles.h"
#include "UniqueHandle.h"

namespace trovelle::test {
namespace {


const wchar_t kQuiet[] = L"D:\\Stress\\Quiet";
const wchar_t kBusy[] = L"D:\\Stress\\Busy";
const wchar_t kStopEvent[] = L"TrovelleStressStop";

ChildProcess StartStressClient(const std::wstring& arguments) {
    return StartChild(BesideThisProgram(L"wine_stress_client.exe"), arguments);
}

class Stress : public ServerTestSuite {};

TEST_F(Stress, ManyClientsGetEveryAnswerWhileFilesChange) {
    MakeQuietAndBusyFolders(L"D:\\Stress", kQuiet, kBusy);
    auto cache = Connect();
    ASSERT_TRUE(cache);
    // Wine watches a folder only when every folder above it, up to the watched drive root, was
    // opened after the watch started; so the server measures the common parent first. Windows
    // watches the whole drive regardless.
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), L"D:\\Stress"));
    WriteFileOfSize(std::wstring(kBusy) + L"\\Inner\\c.bin", 99);
    ASSERT_TRUE(EventuallyFresh(*cache.Get(), kBusy)) << "the server follows changes before the load";

    UniqueKernelHandle stop(::CreateEventW(nullptr, TRUE, FALSE, kStopEvent));
    ChildProcess mutator = StartStressClient(std::wstring(L"mutate ") + kBusy + L" " + kStopEvent);
    ASSERT_TRUE(mutator.process);
    std::vector<ChildProcess> clients;
    std::vector<HANDLE> handles;
    for (int client = 0; client < 8; ++client) {
        clients.push_back(
            StartStressClient(std::wstring(L"ask 2000 ") + kQuiet + L" " + kBusy));
        ASSERT_TRUE(clients.back().process);
        handles.push_back(clients.back().process.Get());
    }
    const DWORD waited = ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()),
                                                  handles.data(), TRUE, 240000);
    ::SetEvent(stop.Get());
    EXPECT_EQ(WaitForExitCode(mutator.process.Get(), 30000), 0u) << "the mutator ran and stopped";
    ASSERT_NE(waited, static_cast<DWORD>(WAIT_TIMEOUT)) << "the clients did not finish in time";
    for (size_t client = 0; client < clients.size(); ++client) {
        EXPECT_EQ(WaitForExitCode(handles[client], 0), 0u)
            << "client " << client << ": a call failed or a quiet answer was wrong";
    }
    EXPECT_TRUE(CacheServerRuns());
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), kQuiet));
    EXPECT_TRUE(EventuallyFresh(*cache.Get(), kBusy)) << "and the busy folder once it is quiet";
}

}  // namespace
}  // namespace trovelle::test
