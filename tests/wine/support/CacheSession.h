// What every Windows-side client of the cache server here needs besides the connection
// (CacheServerConnection.h): a size request, a dump, and a fresh sum to compare with. Free of
// test assertions, so that the stress clients and the benchmark use them too.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <string>

#include "CacheServerConnection.h"

namespace trovelle::test {

// One GetFolderSize call with a BSTR of its own (null `folder` sends a null BSTR).
HRESULT AskFolderSize(ITrovelleCache& cache, const wchar_t* folder, UINT64* size);
// One SaveDebugInfo call with a BSTR of its own.
HRESULT SaveDump(ITrovelleCache& cache, const wchar_t* file, UINT flags);

// The folder's total measured in this process, with no cache involved.
UINT64 FreshSum(const std::wstring& folder);

}  // namespace trovelle::test
