#include "FolderSize.h"

#include <wrl/client.h>

#include <memory>

#include "CacheServerConnection.h"
#include "FolderWalk.h"
#include "Guids.h"
#include "UniqueBstr.h"
#include "WideText.h"
#include "Win32FileSystem.h"

namespace trovelle {
namespace {

HRESULT Ask(ITrovelleCache& cache, const std::wstring& folder, uint64_t& size) {
    const UniqueBstr path = MakeBstr(folder.c_str());
    unsigned __int64 answer = 0;
    const HRESULT hr = cache.GetFolderSize(path.get(), &answer);
    if (SUCCEEDED(hr)) size = answer;
    return hr;
}

}  // namespace

HRESULT CacheConnection::Create(Microsoft::WRL::ComPtr<ITrovelleCache>& cache) {
    ++creations_;
    return CreateCacheObject(cache);
}

HRESULT CacheConnection::FolderSize(const std::wstring& folder, uint64_t& size) {
    size = 0;
    const DWORD thread = ::GetCurrentThreadId();
    if (proxy_ && owner_ != thread) {
        // Another apartment's proxy must not be used here: this call gets one of its own.
        Microsoft::WRL::ComPtr<ITrovelleCache> once;
        const HRESULT created = Create(once);
        return FAILED(created) ? created : Ask(*once.Get(), folder, size);
    }
    for (int attempt = 0;; ++attempt) {
        if (!proxy_) {
            const HRESULT created = Create(proxy_);
            if (FAILED(created)) return created;
            owner_ = thread;
        }
        const HRESULT hr = Ask(*proxy_.Get(), folder, size);
        if (!CacheServerHasGone(hr) || attempt == 1) return hr;
        proxy_.Reset();  // a new server (or object) for the same cell, once
    }
}

uint64_t LocalFolderSum(const std::wstring& folder) {
    // A plain sum through the core keeps one walker for the whole product; it stores nothing.
    Win32DirectoryLister lister;
    return SumFolderTree(lister, ToCore(folder));
}

}  // namespace trovelle
