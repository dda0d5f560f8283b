#include "CacheServerConnection.h"

#include "ComApartment.h"
#include "ProductNames.h"
#include "UniqueHandle.h"

namespace trovelle {
namespace {

// Runs `request` on a running server's object; nothing when no server runs, since creating the
// object would start one.
template <typename Request>
void AskRunningServer(Request&& request) {
    if (!CacheServerRuns()) return;
    // The calling thread may have its apartment already; this only counts it up for the call.
    const ComApartment apartment;
    if (!apartment) return;
    if (Microsoft::WRL::ComPtr<ITrovelleCache> cache = ConnectToCacheServer()) request(*cache.Get());
}

}  // namespace

bool CacheServerRuns() {
    return static_cast<bool>(
        UniqueKernelHandle(::OpenMutexW(SYNCHRONIZE, FALSE, kCacheServerMutexName)));
}

Microsoft::WRL::ComPtr<ITrovelleCache> ConnectToCacheServer(HRESULT* result) {
    Microsoft::WRL::ComPtr<ITrovelleCache> cache;
    const HRESULT hr = ::CoCreateInstance(CLSID_TrovelleCache, nullptr, CLSCTX_LOCAL_SERVER,
                                          IID_PPV_ARGS(&cache));
    if (result != nullptr) *result = hr;
    return cache;
}

void ResetRunningCache() {
    AskRunningServer([](ITrovelleCache& cache) { cache.ResetCache(); });
}

void ReleaseRunningServer() {
    AskRunningServer([](ITrovelleCache& cache) { cache.ReleaseServer(); });
}

}  // namespace trovelle
