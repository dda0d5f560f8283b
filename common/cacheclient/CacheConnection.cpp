#include "CacheConnection.h"

#include "CacheServerConnection.h"
#include "index/FolderKey.h"
#include "SafeVector.h"
#include "UniqueBstr.h"
#include "WideText.h"

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

template <typename Ask>
HRESULT CacheConnection::WithProxy(Ask&& ask) {
    const DWORD thread = ::GetCurrentThreadId();
    if (proxy_ && owner_ != thread) {
        // Another apartment's proxy must not be used here: this call gets one of its own.
        Microsoft::WRL::ComPtr<ITrovelleCache> once;
        const HRESULT created = Create(once);
        return FAILED(created) ? created : ask(*once.Get());
    }
    for (int attempt = 0;; ++attempt) {
        if (!proxy_) {
            const HRESULT created = Create(proxy_);
            if (FAILED(created)) return created;
            owner_ = thread;
        }
        const HRESULT hr = ask(*proxy_.Get());
        if (!CacheServerHasGone(hr) || attempt == 1) return hr;
        proxy_.Reset();  // a new server (or object) for the same cell, once
    }
}

HRESULT CacheConnection::FolderSize(const std::wstring& folder, uint64_t& size) {
    size = 0;
    return WithProxy([&](ITrovelleCache& cache) { return Ask(cache, folder, size); });
}

HRESULT CacheConnection::FolderAndSubfolderSizes(const std::wstring& parent,
                                                 const std::wstring& folder, uint64_t& size,
                                                 SubfolderTotals& known) {
    size = 0;
    return WithProxy([&](ITrovelleCache& cache) {
        Microsoft::WRL::ComPtr<ITrovelleCacheBatch> batch;
        const HRESULT asked = cache.QueryInterface(IID_PPV_ARGS(&batch));
        if (FAILED(asked)) return asked;
        const UniqueBstr parentPath = MakeBstr(parent.c_str());
        const UniqueBstr folderPath = MakeBstr(folder.c_str());
        unsigned __int64 answer = 0;
        SAFEARRAY* names = nullptr;
        SAFEARRAY* sizes = nullptr;
        const HRESULT hr =
            batch->GetSubfolderSizes(parentPath.get(), folderPath.get(), &answer, &names, &sizes);
        const UniqueSafeArray ownedNames(names);
        const UniqueSafeArray ownedSizes(sizes);
        if (FAILED(hr)) return hr;
        size = answer;
        known.parent = parent;
        known.askedAt = ::GetTickCount64();
        known.byFoldedName.clear();
        const SafeVectorAccess<BSTR, VT_BSTR> nameSlots(names);
        const SafeVectorAccess<UINT64, VT_UI8> sizeSlots(sizes);
        for (size_t at = 0; at < nameSlots.size() && at < sizeSlots.size(); ++at) {
            const BSTR name = nameSlots[at];
            known.byFoldedName[FoldedKey(ToCore({name, ::SysStringLen(name)}))] = sizeSlots[at];
        }
        return hr;
    });
}

}  // namespace trovelle
