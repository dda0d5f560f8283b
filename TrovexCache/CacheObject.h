// TrovelleCache: the one cache object of the server. It owns the folder size tree, measures
// folders for its clients and owns the change monitor of every fixed drive, whose changes it
// applies.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "BackgroundWork.h"
#include "cache/FolderCache.h"
#include "ChangeLog.h"
#include "ComObject.h"
#include "CriticalSection.h"
#include "DirectoryWatcher.h"
#include "DispatchFromTypeLib.h"
#include "TrovexCache.h"
#include "WatchedDrives.h"
#include "Win32DirectoryLister.h"
#include "Win32FileSystem.h"

namespace trovelle {

// How the server was started: what the cache object is made with.
struct CacheServerOptions {
    std::wstring changeLogPath;  // empty: no change log
    WatchSystem* watchSystem = nullptr;  // what the watches call; null: the system itself
};

// The class object holds the first reference (the server's own): the module stays locked exactly
// while anybody else holds one. Calls arrive on several threads of the multithreaded apartment.
class TrovelleCacheObject final
    : public ComObject<TrovelleCacheObject,
                       DispatchFromTypeLib<ITrovelleCache, IID_ITrovelleCache>,
                       DispatchFromTypeLib<ITrovelleCacheBatch, IID_ITrovelleCacheBatch>,
                       DispatchFromTypeLib<ITrovelleCacheSizes, IID_ITrovelleCacheSizes>>,
      private ChangeSink {
public:
    static constexpr ModuleLockUse kModuleLock = ModuleLockUse::BeyondTheFirst;
    static const QITAB kInterfaces[];

    explicit TrovelleCacheObject(const CacheServerOptions& options);
    ~TrovelleCacheObject();

    // Adds every fixed drive root to the change monitor and starts it.
    HRESULT InitializeCache();

    // ITrovelleCache
    STDMETHODIMP CreateCache() override;
    STDMETHODIMP GetFolderSize(BSTR folder, UINT64* size) override;
    STDMETHODIMP ResetCache() override;
    STDMETHODIMP ReleaseServer() override;
    STDMETHODIMP SaveDebugInfo(BSTR file, UINT flags) override;

    // ITrovelleCacheBatch
    STDMETHODIMP GetSubfolderSizes(BSTR parent, BSTR folder, UINT64* folderSize,
                                   SAFEARRAY** names, SAFEARRAY** sizes) override;

    // ITrovelleCacheSizes
    STDMETHODIMP GetFolderSizes(BSTR folder, UINT64* size, UINT64* sizeOnDisk) override;
    STDMETHODIMP GetSubfolderSizesOnDisk(BSTR parent, BSTR folder, UINT64* folderSize,
                                         UINT64* folderSizeOnDisk, SAFEARRAY** names,
                                         SAFEARRAY** sizes, SAFEARRAY** sizesOnDisk) override;

    // Direct entry for the start-up scan threads (not through COM).
    FolderSizes MeasureFolder(const wchar_t* folder);
    BackgroundWork& DriveScans() { return driveScans_; }
    LONG& StartupScanCounter() { return startupScans_; }
    // Drive scans of CreateCache still running; a CreateCache while any runs starts nothing.
    volatile LONG& DriveScansLeft() { return driveScansLeft_; }
    uint64_t ListingCount() const { return lister_.ListingCount(); }
    CacheCounters& Counters() { return cache_.Counters(); }

private:
    // A client's path made canonical; nothing for one too long to name a folder.
    static std::optional<CanonicalRequest> RequestFrom(const wchar_t* folder);
    void OnChange(std::unique_ptr<ChangeBatch> batch) override;
    void OnWatchLost(wchar_t letter, WatchLoss why) override;
    // Under Wine, the folders a client shows get a watch of the server's own (see
    // DirectoryWatcher::GuardFoldersOf), whatever other programs watch there.
    void GuardUnderWine(const CanonicalRequest& request);
    // What the tree holds valid now for the subfolders of `parent`; nothing is listed.
    std::vector<KnownSubfolder> KnownSubfoldersOf(const wchar_t* parent);

    volatile LONG serverReferenceReleased_ = 0;
    const bool guardFolders_ = RunningUnderWine();
    Win32DirectoryLister lister_;
    // Stopped by the destructor before anything it reaches goes.
    DirectoryWatcher watcher_;
    WatchedDrives drives_{watcher_};
    CriticalSection lock_;  // exists before the first change can arrive
    ChangeLogFile changeLog_;
    FolderCache cache_;
    LONG startupScans_ = 0;
    volatile LONG driveScansLeft_ = 0;
    BackgroundWork driveScans_;
};

}  // namespace trovelle
