#include "CacheSession.h"

#include <oleauto.h>

#include "cache/FolderCache.h"
#include "CriticalSection.h"
#include "SafeVector.h"
#include "UniqueBstr.h"
#include "WideText.h"
#include "Win32DirectoryLister.h"
#include "Win32FileSystem.h"

namespace trovelle::test {

HRESULT AskFolderSize(ITrovelleCache& cache, const wchar_t* folder, UINT64* size) {
    return cache.GetFolderSize(MakeBstr(folder).get(), size);
}

SubfolderAnswer AskSubfolderSizes(ITrovelleCacheBatch& batch, const wchar_t* parent,
                                  const wchar_t* folder) {
    SubfolderAnswer answer;
    SAFEARRAY* names = nullptr;
    SAFEARRAY* sizes = nullptr;
    answer.result = batch.GetSubfolderSizes(MakeBstr(parent).get(), MakeBstr(folder).get(),
                                            &answer.folderSize, &names, &sizes);
    const UniqueSafeArray ownedNames(names);
    const UniqueSafeArray ownedSizes(sizes);
    const SafeVectorAccess<BSTR, VT_BSTR> nameSlots(names);
    const SafeVectorAccess<UINT64, VT_UI8> sizeSlots(sizes);
    answer.names = nameSlots.size();
    answer.sizes = sizeSlots.size();
    for (size_t at = 0; at < nameSlots.size() && at < sizeSlots.size(); ++at) {
        answer.known.emplace(nameSlots[at], sizeSlots[at]);
    }
    return answer;
}

HRESULT SaveDump(ITrovelleCache& cache, const wchar_t* file, UINT flags) {
    return cache.SaveDebugInfo(MakeBstr(file).get(), flags);
}

UINT64 FreshSum(const std::wstring& folder) {
    Win32DirectoryLister lister;
    Win32DriveTypes drives;
    CriticalSection lock;
    return FolderCache(lister, drives, lock).SumFolder(ToCore(folder)).bytes;
}

}  // namespace trovelle::test
