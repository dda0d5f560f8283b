#include "CacheObject.h"

#include "DebugDump.h"
#include "FolderKey.h"
#include "ModuleLock.h"
#include "StartupCaching.h"
#include "WideText.h"
#include "changes/ChangeRecords.h"

namespace trovelle {

TrovelleCacheObject::TrovelleCacheObject() = default;

TrovelleCacheObject::~TrovelleCacheObject() {
    // Running scans give up at their next listing; then nobody touches the tree any more.
    lister_.Cancel();
    StopAndDrain();
    driveScans_.WaitUntilIdle();
}

HRESULT TrovelleCacheObject::InitializeCache() {
    startupScans_ = 0;
    for (wchar_t letter = L'a'; letter <= L'z'; ++letter) {
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        if (::GetDriveTypeW(root) == DRIVE_FIXED) AddDirectory(root);
    }
    Watch(kStart);
    return S_OK;
}

STDMETHODIMP TrovelleCacheObject::QueryInterface(REFIID iid, void** result) {
    if (result == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_ITrovelleCache) {
        *result = static_cast<ITrovelleCache*>(this);
        AddRef();
        return S_OK;
    }
    *result = nullptr;
    return E_NOINTERFACE;
}

// The factory's own reference is the base of 1: the module stays locked exactly while anybody
// else holds a reference.
STDMETHODIMP_(ULONG) TrovelleCacheObject::AddRef() {
    if (++references_ == 2) ModuleLock::Lock();
    return references_;
}

STDMETHODIMP_(ULONG) TrovelleCacheObject::Release() {
    const ULONG remaining = --references_;
    if (remaining == 1) ModuleLock::Unlock();
    if (remaining == 0) delete this;
    return remaining;
}

STDMETHODIMP TrovelleCacheObject::GetTypeInfoCount(UINT* count) {
    return dispatch_.GetTypeInfoCount(count);
}

STDMETHODIMP TrovelleCacheObject::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
    return dispatch_.GetTypeInfo(index, locale, info);
}

STDMETHODIMP TrovelleCacheObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                                DISPID* ids) {
    return dispatch_.GetIDsOfNames(names, count, ids);
}

STDMETHODIMP TrovelleCacheObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                         VARIANT* result, EXCEPINFO* exception,
                                         UINT* argumentError) {
    return dispatch_.Invoke(static_cast<ITrovelleCache*>(this), id, flags, params, result,
                            exception, argumentError);
}

STDMETHODIMP TrovelleCacheObject::CreateCache() { return StartCachingAllDrives(*this); }

uint64_t TrovelleCacheObject::MeasureFolder(const wchar_t* folder) {
    if (folder == nullptr) return 0;
    const std::u16string path = ToCore(folder);
    if (!path.empty() && !cache_.HasNode(path)) {
        const wchar_t root[] = {folder[0], L':', L'\\', L'\0'};
        if (::GetDriveTypeW(root) == DRIVE_FIXED) OpenFoldersAbove(folder);
    }
    return cache_.GetFolderSize(path);
}

STDMETHODIMP TrovelleCacheObject::GetFolderSize(BSTR folder, UINT64* size) {
    if (size == nullptr) return E_POINTER;
    *size = 0;
    *size = MeasureFolder(folder);  // a null BSTR is the empty string: 0
    return S_OK;
}

STDMETHODIMP TrovelleCacheObject::ResetCache() {
    cache_.Reset();
    return S_OK;
}

STDMETHODIMP TrovelleCacheObject::ReleaseServer() {
    Release();
    return S_OK;
}

STDMETHODIMP TrovelleCacheObject::SaveDebugInfo(BSTR file, UINT flags) {
    return WriteDebugDump(cache_, file, flags);
}

void TrovelleCacheObject::OnChange(std::unique_ptr<ChangeBatch> batch) {
    // A lost batch carries no bytes, which makes every folder of its drive stale.
    ApplyChangeBatch(cache_, ToCore(RootPath(batch->rootIndex)), batch->records.data(),
                     batch->records.size());
}

}  // namespace trovelle
