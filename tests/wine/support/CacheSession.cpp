#include "CacheSession.h"

#include <oleauto.h>

#include "CriticalSection.h"
#include "FolderCache.h"
#include "WideText.h"
#include "Win32FileSystem.h"

namespace trovelle::test {

Microsoft::WRL::ComPtr<ITrovelleCache> ConnectToCache(HRESULT* result) {
    Microsoft::WRL::ComPtr<ITrovelleCache> cache;
    const HRESULT hr = ::CoCreateInstance(CLSID_TrovelleCache, nullptr, CLSCTX_LOCAL_SERVER,
                                          IID_PPV_ARGS(&cache));
    if (result != nullptr) *result = hr;
    return cache;
}

HRESULT AskFolderSize(ITrovelleCache& cache, const wchar_t* folder, UINT64* size) {
    BSTR path = folder != nullptr ? ::SysAllocString(folder) : nullptr;
    const HRESULT hr = cache.GetFolderSize(path, size);
    ::SysFreeString(path);
    return hr;
}

UINT64 FreshSum(const std::wstring& folder) {
    Win32DirectoryLister lister;
    Win32DriveTypes drives;
    CriticalSection lock;
    return FolderCache(lister, drives, lock).SumFolder(ToCore(folder));
}

}  // namespace trovelle::test
