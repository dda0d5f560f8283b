#include "CacheReset.h"

#include <windows.h>
#include <wrl/client.h>

#include "ComApartment.h"
#include "TrovexCache.h"
#include "UniqueHandle.h"

namespace trovelle::properties {
namespace {

constexpr wchar_t kServerMutex[] = L"TrovexCacheServer.{E46A7DAC-D759-4915-8F32-BD3C55B7B10F}";

}  // namespace

bool CacheServerRuns() {
    return static_cast<bool>(
        UniqueKernelHandle(::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kServerMutex)));
}

void ResetRunningCache() {
    if (!CacheServerRuns()) return;
    // This thread's apartment exists already; this only counts it up for the call's duration.
    ComApartment apartment;
    Microsoft::WRL::ComPtr<IUnknown> object;
    if (FAILED(::CoCreateInstance(CLSID_TrovelleCache, nullptr, CLSCTX_LOCAL_SERVER,
                                  IID_PPV_ARGS(&object)))) {
        return;
    }
    Microsoft::WRL::ComPtr<ITrovelleCache> cache;
    if (FAILED(object.As(&cache))) return;
    cache->ResetCache();
}

}  // namespace trovelle::properties
