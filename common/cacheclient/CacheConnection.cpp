#include "CacheConnection.h"

#include <algorithm>

#include "CacheServerConnection.h"
#include "index/FolderKey.h"
#include "SafeVector.h"
#include "UniqueBstr.h"
#include "WideText.h"

namespace trovelle {
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

template <typename Ask>
HRESULT CacheConnection::WithSizes(Ask&& ask) {
    return WithProxy([&](ITrovelleCache& cache) {
        Microsoft::WRL::ComPtr<ITrovelleCacheSizes> sizes;
        const HRESULT asked = cache.QueryInterface(IID_PPV_ARGS(&sizes));
        return FAILED(asked) ? asked : ask(*sizes.Get());
    });
}

HRESULT CacheConnection::FolderSizes(const std::wstring& folder, ByteTotals& sizes) {
    sizes = {};
    return WithSizes([&](ITrovelleCacheSizes& server) {
        unsigned __int64 size = 0, onDisk = 0;
        const HRESULT hr = server.GetFolderSizes(MakeBstr(folder.c_str()).get(), &size, &onDisk);
        if (SUCCEEDED(hr)) sizes = {size, onDisk};
        return hr;
    });
}

HRESULT CacheConnection::FolderAndSubfolderSizes(const std::wstring& parent,
                                                 const std::wstring& folder, ByteTotals& sizes,
                                                 SubfolderTotals& known) {
    sizes = {};
    return WithSizes([&](ITrovelleCacheSizes& server) {
        unsigned __int64 size = 0, onDisk = 0;
        SAFEARRAY* names = nullptr;
        SAFEARRAY* subfolderSizes = nullptr;
        SAFEARRAY* subfolderOnDisk = nullptr;
        const HRESULT hr = server.GetSubfolderSizesOnDisk(
            MakeBstr(parent.c_str()).get(), MakeBstr(folder.c_str()).get(), &size, &onDisk,
            &names, &subfolderSizes, &subfolderOnDisk);
        const UniqueSafeArray ownedNames(names);
        const UniqueSafeArray ownedSizes(subfolderSizes);
        const UniqueSafeArray ownedOnDisk(subfolderOnDisk);
        if (FAILED(hr)) return hr;
        sizes = {size, onDisk};
        known.parent = parent;
        known.askedAt = ::GetTickCount64();
        known.byFoldedName.clear();
        const SafeVectorAccess<BSTR, VT_BSTR> nameSlots(names);
        const SafeVectorAccess<UINT64, VT_UI8> sizeSlots(subfolderSizes);
        const SafeVectorAccess<UINT64, VT_UI8> onDiskSlots(subfolderOnDisk);
        const size_t count = std::min({nameSlots.size(), sizeSlots.size(), onDiskSlots.size()});
        for (size_t at = 0; at < count; ++at) {
            const BSTR name = nameSlots[at];
            known.byFoldedName[FoldedKey(ToCore({name, ::SysStringLen(name)}))] =
                ByteTotals{sizeSlots[at], onDiskSlots[at]};
        }
        return hr;
    });
}

}  // namespace trovelle
