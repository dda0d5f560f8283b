#include "FolderSize.h"

#include <wrl/client.h>

#include <memory>

#include "CriticalSection.h"
#include "FolderCache.h"
#include "Guids.h"
#include "WideText.h"
#include "Win32FileSystem.h"

namespace trovelle {
namespace {

struct BstrDeleter {
    void operator()(BSTR text) const { ::SysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrDeleter>;

}  // namespace

HRESULT CachedFolderSize(const std::wstring& folder, uint64_t& size) {
    size = 0;
    Microsoft::WRL::ComPtr<ITrovelleCache> cache;
    const HRESULT hr = ::CoCreateInstance(CLSID_TrovelleCache, nullptr, CLSCTX_LOCAL_SERVER,
                                          IID_ITrovelleCache, &cache);
    if (FAILED(hr)) return hr;
    const UniqueBstr path(::SysAllocString(folder.c_str()));
    unsigned __int64 answer = 0;
    cache->GetFolderSize(path.get(), &answer);  // its result is not examined: the size counts
    size = answer;
    return S_OK;
}

uint64_t LocalFolderSum(const std::wstring& folder) {
    // A plain sum through the core keeps one walker for the whole product; it stores nothing.
    Win32DirectoryLister lister;
    Win32DriveTypes drives;
    CriticalSection lock;
    FolderCache sums(lister, drives, lock);
    return sums.SumFolder(ToCore(folder));
}

}  // namespace trovelle
