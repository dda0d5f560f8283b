// What every Windows-side client of the cache server here needs: a connection, a size request
// and a fresh sum to compare it with. Free of test assertions, so that the stress clients and
// the benchmark use them too.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <string>

#include "CacheServerConnection.h"

namespace trovelle::test {

// Creates the cache through COM (which starts the server when needed); `result` gets the outcome.
inline Microsoft::WRL::ComPtr<ITrovelleCache> ConnectToCache(HRESULT* result = nullptr) {
    return ConnectToCacheServer(result);
}

// One GetFolderSize call with a BSTR of its own (null `folder` sends a null BSTR).
HRESULT AskFolderSize(ITrovelleCache& cache, const wchar_t* folder, UINT64* size);
// One SaveDebugInfo call with a BSTR of its own.
HRESULT SaveDump(ITrovelleCache& cache, const wchar_t* file, UINT flags);

// The folder's total measured in this process, with no cache involved.
UINT64 FreshSum(const std::wstring& folder);

}  // namespace trovelle::test
