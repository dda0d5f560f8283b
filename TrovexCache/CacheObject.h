// TrovelleCache: the one cache object of the server. It owns the folder size tree, measures
// folders for its clients and is itself the change monitor of every fixed drive.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "BackgroundWork.h"
#include "ChangeLog.h"
#include "CriticalSection.h"
#include "DirectoryWatcher.h"
#include "FolderCache.h"
#include "TrovexCache.h"
#include "TypeLibDispatch.h"
#include "WatchedDrives.h"
#include "Win32FileSystem.h"

namespace trovelle {

// How the server was started: what the cache object is made with.
struct CacheServerOptions {
    std::wstring changeLogPath;  // empty: no change log
};

class TrovelleCacheObject final : public ITrovelleCache, public DirectoryWatcher {
public:
    explicit TrovelleCacheObject(const CacheServerOptions& options);
    ~TrovelleCacheObject() override;

    // Adds every fixed drive root to the change monitor and starts it.
    HRESULT InitializeCache();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** result) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;
    // ITrovelleCache
    STDMETHODIMP CreateCache() override;
    STDMETHODIMP GetFolderSize(BSTR folder, UINT64* size) override;
    STDMETHODIMP ResetCache() override;
    STDMETHODIMP ReleaseServer() override;
    STDMETHODIMP SaveDebugInfo(BSTR file, UINT flags) override;

    // Direct entry for the start-up scan threads (not through COM).
    uint64_t MeasureFolder(const wchar_t* folder);
    BackgroundWork& DriveScans() { return driveScans_; }
    LONG& StartupScanCounter() { return startupScans_; }
    // Drive scans of CreateCache still running; a CreateCache while any runs starts nothing.
    volatile LONG& DriveScansLeft() { return driveScansLeft_; }
    uint64_t ListingCount() const { return lister_.ListingCount(); }
    CacheCounters& Counters() { return cache_.Counters(); }

protected:
    void OnChange(std::unique_ptr<ChangeBatch> batch) override;
    void OnWatchLost(wchar_t letter, Loss why) override;

private:
    volatile LONG references_ = 0;
    volatile LONG serverReferenceReleased_ = 0;
    TypeLibDispatch dispatch_{IID_ITrovelleCache};
    Win32DirectoryLister lister_;
    WatchedDrives drives_{*this};
    CriticalSection lock_;  // exists before the first change can arrive
    ChangeLogFile changeLog_;
    FolderCache cache_;
    LONG startupScans_ = 0;
    volatile LONG driveScansLeft_ = 0;
    BackgroundWork driveScans_;
};

}  // namespace trovelle
