// The server's wind-down: after ReleaseServer and its last client it ends about six seconds
// later, and a client that comes at any moment of that time is answered, by the ending server
// or by its successor.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "CacheExpectations.h"
#include "ChildProcess.h"
#include "Eventually.h"
#include "LeftoverServer.h"
#include "ProductNames.h"
#include "TestFiles.h"
#include "UniqueHandle.h"

namespace trovelle::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const wchar_t kFolder[] = L"D:\\WindDown";
constexpr UINT64 kFolderSize = 4321;

// What a client that came `after` the server's release met.
struct Arrival {
    std::chrono::milliseconds after{0};
    HRESULT created = E_FAIL;
    HRESULT asked = E_FAIL;
    UINT64 size = 0;
    HRESULT batchAsked = E_FAIL;  // the same folder asked through the interface for many
    UINT64 batchSize = 0;
    double seconds = 0;  // from its arrival to its answer
};

// The folder's total through the interface that answers many folders in one call.
HRESULT AskThroughBatch(ITrovelleCache& cache, UINT64& size) {
    Microsoft::WRL::ComPtr<ITrovelleCacheBatch> batch;
    const HRESULT found = cache.QueryInterface(IID_PPV_ARGS(&batch));
    if (FAILED(found)) return found;
    const SubfolderAnswer answer = AskSubfolderSizes(*batch.Get(), L"D:\\", kFolder);
    size = answer.folderSize;
    return answer.result;
}

// One client in an apartment of its own: it connects at its moment, asks once, and leaves the
// server that answered it winding down (it gives up the server's own reference, which a new
// server holds), so that the next client meets a wind-down as well. Returns when it left.
Clock::time_point Arrive(Clock::time_point released, Arrival& arrival) {
    Clock::time_point left;
    std::thread client([&] {
        std::this_thread::sleep_until(released + arrival.after);
        const auto start = Clock::now();
        if (SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
            {
                Microsoft::WRL::ComPtr<ITrovelleCache> cache =
                    ConnectToCacheServer(&arrival.created);
                if (cache) {
                    arrival.asked = AskFolderSize(*cache.Get(), kFolder, &arrival.size);
                    arrival.batchAsked = AskThroughBatch(*cache.Get(), arrival.batchSize);
                    cache->ReleaseServer();
                }
            }
            ::CoUninitialize();
        }
        left = Clock::now();
        arrival.seconds = std::chrono::duration<double>(left - start).count();
    });
    client.join();
    return left;
}

// A server whose own reference is given up and whose one client has just gone: it winds down.
Clock::time_point ReleaseAServer() {
    Microsoft::WRL::ComPtr<ITrovelleCache> cache = Connect();
    EXPECT_TRUE(cache);
    if (cache) {
        EXPECT_EQ(SizeOf(*cache.Get(), kFolder), kFolderSize);
        EXPECT_EQ(cache->ReleaseServer(), S_OK);
    }
    return Clock::now();
}

// Stands in for a server at the moment it winds down: it holds the instance mutex, and its class
// object refuses a creation as an ending server does, then is withdrawn and the mutex given up,
// so that a second attempt would have COM start a new server.
class EndingServer final : public IClassFactory {
public:
    EndingServer() : mutex_(::CreateMutexW(nullptr, FALSE, kCacheServerMutexName)) {
        registered_ = ::CoRegisterClassObject(CLSID_TrovelleCache, this, CLSCTX_LOCAL_SERVER,
                                              REGCLS_MULTIPLEUSE, &cookie_);
    }
    ~EndingServer() { Withdraw(); }
    EndingServer(const EndingServer&) = delete;
    EndingServer& operator=(const EndingServer&) = delete;

    HRESULT Registered() const { return registered_; }
    int Refusals() const { return refusals_; }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // lives on the test's stack
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID, void** object) override {
        *object = nullptr;
        ++refusals_;
        Withdraw();
        return CO_E_SERVER_STOPPING;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    void Withdraw() {
        if (SUCCEEDED(registered_) && cookie_ != 0) ::CoRevokeClassObject(cookie_);
        cookie_ = 0;
        mutex_.Reset();
    }

    UniqueKernelHandle mutex_;
    HRESULT registered_ = E_FAIL;
    DWORD cookie_ = 0;
    int refusals_ = 0;
};

class WindDown : public ServerTestSuite {
protected:
    void SetUp() override {
        StopCacheServer();
        RemoveTree(kFolder);
        ::CreateDirectoryW(kFolder, nullptr);
        WriteFileOfSize(std::wstring(kFolder) + L"\\a.bin", kFolderSize);
    }
    void TearDown() override { StopCacheServer(); }
};

TEST_F(WindDown, EveryClientThatComesWhileTheServerEndsIsAnswered) {
    // Around the end of the shutdown delay (5 s), through the pause before the process ends.
    Clock::time_point released = ReleaseAServer();
    for (const int ms : {4600, 4900, 5000, 5050, 5100, 5200, 5350, 5600, 6000, 6500}) {
        Arrival arrival{std::chrono::milliseconds(ms)};
        released = Arrive(released, arrival);
        std::printf("client at %d ms: answered in %.2f s\n", ms, arrival.seconds);
        SCOPED_TRACE("client at " + std::to_string(ms) + " ms");
        EXPECT_EQ(arrival.created, S_OK);
        EXPECT_EQ(arrival.asked, S_OK);
        EXPECT_EQ(arrival.size, kFolderSize);
        EXPECT_EQ(arrival.batchAsked, S_OK);
        EXPECT_EQ(arrival.batchSize, kFolderSize);
        EXPECT_LT(arrival.seconds, 10.0);
    }
}

TEST_F(WindDown, ASuccessorStartedWhileTheServerEndsServes) {
    const Clock::time_point released = ReleaseAServer();
    std::this_thread::sleep_until(released + 4s);
    // As COM starts a server for a client while the other still holds the instance mutex.
    ChildProcess successor =
        StartChild(L"C:\\Program Files\\Trovelle Pro\\TrovexCache.exe", L"-Embedding");
    ASSERT_TRUE(successor.process);
    // The ending server is gone well within this span; the successor stays, serving.
    EXPECT_TRUE(HoldsThroughout(8s, [&] {
        return ::WaitForSingleObject(successor.process.Get(), 0) == WAIT_TIMEOUT;
    })) << "exit code " << WaitForExitCode(successor.process.Get(), 0);
    Microsoft::WRL::ComPtr<ITrovelleCache> cache = Connect();
    ASSERT_TRUE(cache);
    EXPECT_EQ(SizeOf(*cache.Get(), kFolder), kFolderSize);
    cache.Reset();
    StopCacheServer();
    EXPECT_EQ(WaitForExitCode(successor.process.Get(), 15000), 0u) << "it was the one serving";
}

// Reset cache (toolbar menu, settings program) reaches a running server only: a server that
// refuses because it is ending counts as none, and no successor is started for it.
TEST_F(WindDown, ResetCacheOfAnEndingServerStartsNoOther) {
    {
        EndingServer ending;
        ASSERT_EQ(ending.Registered(), S_OK);
        ASSERT_TRUE(CacheServerRuns());
        ResetRunningCache();
        EXPECT_EQ(ending.Refusals(), 1);
    }
    EXPECT_FALSE(CacheServerRuns()) << "a server was started for the reset";
    ResetRunningCache();  // no server runs: nothing at all
    EXPECT_FALSE(CacheServerRuns());
}

}  // namespace
}  // namespace trovelle::test
