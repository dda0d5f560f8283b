#include "CacheSession.h"

#include <oleauto.h>

#include "CriticalSection.h"
#include "FolderCache.h"
#include "UniqueBstr.h"
#include "WideText.h"
#include "Win32FileSystem.h"

namespace trovelle::test {

HRESULT AskFolderSize(ITrovelleCache& cache, const wchar_t* folder, UINT64* size) {
    return cache.GetFolderSize(MakeBstr(folder).get(), size);
}

HRESULT SaveDump(ITrovelleCache& cache, const wchar_t* file, UINT flags) {
    return cache.SaveDebugInfo(MakeBstr(file).get(), flags);
}

UINT64 FreshSum(const std::wstring& folder) {
    Win32DirectoryLister lister;
    Win32DriveTypes drives;
    CriticalSection lock;
    return FolderCache(lister, drives, lock).SumFolder(ToCore(folder));
}

}  // namespace trovelle::test
