#include "CacheServerConnection.h"

#include "ComApartment.h"
#include "ProductNames.h"
#include "UniqueHandle.h"

namespace trovelle {
namespace {

// Runs `request` on a running server's object; nothing when no server runs, since creating the
// object would start one. One attempt only: a server that refuses is winding down, and asking
// again would have COM start a successor that nobody asked for (it would scan every drive).
template <typename Request>
void AskRunningServer(Request&& request) {
    if (!CacheServerRuns()) return;
    // The calling thread may have its apartment already; this only counts it up for the call.
    const ComApartment apartment;
    if (!apartment) return;
    Microsoft::WRL::ComPtr<ITrovelleCache> cache;
    if (SUCCEEDED(::CoCreateInstance(CLSID_TrovelleCache, nullptr, CLSCTX_LOCAL_SERVER,
                                     IID_PPV_ARGS(&cache)))) {
        request(*cache.Get());
    }
}

}  // namespace

bool CacheServerRuns() {
    return static_cast<bool>(
        UniqueKernelHandle(::OpenMutexW(SYNCHRONIZE, FALSE, kCacheServerMutexName)));
}

bool CacheServerHasGone(HRESULT hr) {
    switch (hr) {
        case RPC_E_DISCONNECTED:
        case RPC_E_SERVERFAULT:
        case RPC_E_SERVER_DIED:
        case RPC_E_SERVER_DIED_DNE:
        case CO_E_OBJNOTCONNECTED:
        case CO_E_SERVER_STOPPING:
        case HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE):
        case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED):
        case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE):
            return true;
        default:
            return false;
    }
}

HRESULT CreateCacheObject(Microsoft::WRL::ComPtr<ITrovelleCache>& cache) {
    HRESULT hr = S_OK;
    for (int attempt = 0; attempt < 2; ++attempt) {
        cache.Reset();
        hr = ::CoCreateInstance(CLSID_TrovelleCache, nullptr, CLSCTX_LOCAL_SERVER,
                                IID_PPV_ARGS(&cache));
        // A server winding down refuses in several ways: stopping, a successor that found the
        // instance mutex taken too long (server exec failure), and under Wine an activation
        // whose class object was withdrawn under it (no interface, or a plain failure). Only
        // a class that is not registered at all leaves nothing to try again.
        if (SUCCEEDED(hr) || hr == REGDB_E_CLASSNOTREG) break;
    }
    return hr;
}

Microsoft::WRL::ComPtr<ITrovelleCache> ConnectToCacheServer(HRESULT* result) {
    Microsoft::WRL::ComPtr<ITrovelleCache> cache;
    const HRESULT hr = CreateCacheObject(cache);
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
