#include "LeftoverServer.h"

#include <windows.h>
#include <wrl/client.h>

#include <chrono>
#include <thread>

#include "ComApartment.h"
#include "TrovexCache.h"
#include "UniqueHandle.h"

namespace trovelle::test {

namespace {
const wchar_t kInstanceMutex[] = L"TrovexCacheServer.{E46A7DAC-D759-4915-8F32-BD3C55B7B10F}";
}  // namespace

bool CacheServerRuns() {
    return static_cast<bool>(UniqueKernelHandle(::OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutex)));
}

void StopCacheServer() {
    using namespace std::chrono_literals;
    if (!CacheServerRuns()) return;
    {
        ComApartment apartment;
        Microsoft::WRL::ComPtr<ITrovelleCache> cache;
        if (SUCCEEDED(::CoCreateInstance(CLSID_TrovelleCache, nullptr, CLSCTX_LOCAL_SERVER,
                                         IID_PPV_ARGS(&cache)))) {
            cache->ReleaseServer();
        }
    }
    // The server ends about six seconds after its last client; give it ample room.
    for (int wait = 0; wait < 150 && CacheServerRuns(); ++wait) std::this_thread::sleep_for(100ms);
}

}  // namespace trovelle::test
