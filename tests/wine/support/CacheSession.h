// What every Windows-side client of the cache server here needs besides the connection
// (CacheServerConnection.h): a size request, one for many folders, a dump, and a fresh sum to
// compare with. Free of test assertions, so that the stress clients and the benchmark use them
// too.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <map>
#include <string>

#include "CacheServerConnection.h"

namespace trovelle::test {

// One GetFolderSize call with a BSTR of its own (null `folder` sends a null BSTR).
HRESULT AskFolderSize(ITrovelleCache& cache, const wchar_t* folder, UINT64* size);
// What one GetSubfolderSizes call brought back: the folder's total, and the subfolder totals by
// name as the server spelled them. The two arrays' lengths as they came, which must agree.
struct SubfolderAnswer {
    HRESULT result = E_FAIL;
    UINT64 folderSize = 0;
    std::map<std::wstring, UINT64> known;
    size_t names = 0;
    size_t sizes = 0;
};
// One GetSubfolderSizes call with BSTRs of its own (null paths send null BSTRs).
SubfolderAnswer AskSubfolderSizes(ITrovelleCacheBatch& batch, const wchar_t* parent,
                                  const wchar_t* folder);
// One SaveDebugInfo call with a BSTR of its own.
HRESULT SaveDump(ITrovelleCache& cache, const wchar_t* file, UINT flags);

// The folder's total measured in this process, with no cache involved.
UINT64 FreshSum(const std::wstring& folder);

}  // namespace trovelle::test
