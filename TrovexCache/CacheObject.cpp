#include "CacheObject.h"

#include "cache/ChangeBatch.h"
#include "cache/RequestPath.h"
#include "changes/ChangeRecords.h"
#include "DebugDump.h"
#include "index/FolderKey.h"
#include "OutOfMemoryAnswer.h"
#include "SafeVector.h"
#include "StartupCaching.h"
#include "WideText.h"

namespace trovelle {

namespace {

// The defences against Wine's gaps in change reports also hide faults that Windows, where they
// are off, would show. TROVELLE_WINE_DEFENCES=off runs a server under Wine by Windows' rules, so
// that the tests that need no defence can show what they hide.
bool WineDefencesWanted() {
    if (!RunningUnderWine()) return false;
    wchar_t value[8] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"TROVELLE_WINE_DEFENCES", value, 8);
    return !(length == 3 && ::_wcsicmp(value, L"off") == 0);
}

FolderCacheOptions OptionsFor(ChangeLogFile& changeLog) {
    FolderCacheOptions options;
    const bool defences = WineDefencesWanted();
    options.distrustDriveAfterFolderRename = defences;
    options.newFolderSettleMs = defences ? 2000 : 0;
    options.trace = changeLog.IsOpen() ? &changeLog : nullptr;
    if (RunningUnderWine()) {
        options.beforeFirstScan = [](const Path& folder) {
            DirectoryWatcher::OpenFoldersAbove(ToWide(folder));
        };
    }
    return options;
}

// The arrays of a batch answer: names, sizes and, when `sizesOnDisk` is given, sizes on disk.
// Nothing is handed out unless all of them could be made.
HRESULT SubfolderArrays(const std::vector<KnownSubfolder>& known, SAFEARRAY** names,
                        SAFEARRAY** sizes, SAFEARRAY** sizesOnDisk) {
    UniqueSafeArray nameArray = MakeSafeVector(VT_BSTR, known.size());
    UniqueSafeArray sizeArray = MakeSafeVector(VT_UI8, known.size());
    UniqueSafeArray onDiskArray = sizesOnDisk ? MakeSafeVector(VT_UI8, known.size()) : nullptr;
    if (!nameArray || !sizeArray || (sizesOnDisk && !onDiskArray)) return E_OUTOFMEMORY;
    {
        SafeVectorAccess<BSTR, VT_BSTR> nameSlots(nameArray.get());
        SafeVectorAccess<UINT64, VT_UI8> sizeSlots(sizeArray.get());
        SafeVectorAccess<UINT64, VT_UI8> onDiskSlots(onDiskArray.get());
        for (size_t at = 0; at < known.size(); ++at) {
            const std::u16string& name = known[at].name;
            nameSlots[at] = ::SysAllocStringLen(AsWide(name.c_str()), static_cast<UINT>(name.size()));
            if (nameSlots[at] == nullptr) return E_OUTOFMEMORY;
            sizeSlots[at] = known[at].total.bytes;
            if (onDiskArray) onDiskSlots[at] = known[at].total.onDisk;
        }
    }
    *names = nameArray.release();
    *sizes = sizeArray.release();
    if (sizesOnDisk) *sizesOnDisk = onDiskArray.release();
    return S_OK;
}

}  // namespace

const QITAB TrovelleCacheObject::kInterfaces[] = {
    Answers<TrovelleCacheObject, ITrovelleCache>(IID_ITrovelleCache),
    Answers<TrovelleCacheObject, ITrovelleCache>(IID_IDispatch),
    Answers<TrovelleCacheObject, ITrovelleCacheBatch>(IID_ITrovelleCacheBatch),
    Answers<TrovelleCacheObject, ITrovelleCacheSizes>(IID_ITrovelleCacheSizes),
    {},
};

TrovelleCacheObject::TrovelleCacheObject(const CacheServerOptions& options)
    : watcher_(*this, DirectoryWatcher::kBufferBytes,
               options.watchSystem ? *options.watchSystem : WatchSystem::Real()),
      changeLog_(options.changeLogPath),
      cache_(lister_, drives_, lock_, OptionsFor(changeLog_)) {}

TrovelleCacheObject::~TrovelleCacheObject() {
    // Running scans give up at their next listing; they may still ask the watcher to arm a
    // drive, so it stops only after them. Then nobody touches the tree any more.
    lister_.Cancel();
    driveScans_.WaitUntilIdle();
    watcher_.StopAndDrain();
}

HRESULT TrovelleCacheObject::InitializeCache() {
    startupScans_ = 0;
    for (const wchar_t letter : FixedDriveLetters()) {
        watcher_.AddDirectory(DriveRoot(letter).c_str());
    }
    watcher_.Watch(DirectoryWatcher::kStart);
    return S_OK;
}

STDMETHODIMP TrovelleCacheObject::CreateCache() {
    return AnswerOutOfMemory([&] { return StartCachingAllDrives(*this); });
}

std::optional<CanonicalRequest> TrovelleCacheObject::RequestFrom(const wchar_t* folder) {
    // Nothing longer can name a folder: refused before anything is opened for it. A null BSTR
    // is the empty string.
    if (folder == nullptr || ::wcsnlen(folder, kLongestPath + 1) > kLongestPath) return std::nullopt;
    return CanonicalizeRequest(ToCore(folder));
}

FolderSizes TrovelleCacheObject::MeasureFolder(const wchar_t* folder) {
    std::optional<CanonicalRequest> request = RequestFrom(folder);
    if (!request) return {};
    if (request->isDrivePath) {
        drives_.ArmIfFixed(static_cast<wchar_t>(request->path[0]));
        GuardUnderWine(*request);
    }
    return cache_.GetFolderSizes(std::move(*request));
}

void TrovelleCacheObject::GuardUnderWine(const CanonicalRequest& request) {
    if (guardFolders_ && request.isDrivePath) watcher_.GuardFoldersOf(ToWide(request.path));
}

STDMETHODIMP TrovelleCacheObject::GetFolderSize(BSTR folder, UINT64* size) {
    if (size == nullptr) return E_POINTER;
    *size = 0;
    return AnswerOutOfMemory([&] {
        *size = MeasureFolder(folder).totals.bytes;  // a null BSTR is the empty string: 0
        return S_OK;
    });
}

STDMETHODIMP TrovelleCacheObject::ResetCache() {
    return AnswerOutOfMemory([&] {
        cache_.Reset();
        return S_OK;
    });
}

// The server's own reference is given up once, whoever asks and however often: a second
// release would take a reference some client still holds.
STDMETHODIMP TrovelleCacheObject::ReleaseServer() {
    if (::InterlockedExchange(&serverReferenceReleased_, 1) == 0) Release();
    return S_OK;
}

STDMETHODIMP TrovelleCacheObject::SaveDebugInfo(BSTR file, UINT flags) {
    return AnswerOutOfMemory(
        [&] { return WriteDebugDump(cache_, file, flags, watcher_.DescribeWatches()); });
}

std::vector<KnownSubfolder> TrovelleCacheObject::KnownSubfoldersOf(const wchar_t* parent) {
    std::optional<CanonicalRequest> request = RequestFrom(parent);
    if (!request) return {};
    GuardUnderWine(*request);
    return cache_.KnownSubfolders(std::move(*request));
}

STDMETHODIMP TrovelleCacheObject::GetSubfolderSizes(BSTR parent, BSTR folder, UINT64* folderSize,
                                                    SAFEARRAY** names, SAFEARRAY** sizes) {
    if (folderSize == nullptr || names == nullptr || sizes == nullptr) return E_POINTER;
    *folderSize = 0;
    *names = *sizes = nullptr;
    return AnswerOutOfMemory([&] {
        // The folder the client waits for is measured first, so that a cold one is among the
        // answers; the rest are only what is known now: nothing else is listed for them.
        *folderSize = MeasureFolder(folder).totals.bytes;
        return SubfolderArrays(KnownSubfoldersOf(parent), names, sizes, nullptr);
    });
}

STDMETHODIMP TrovelleCacheObject::GetFolderSizes(BSTR folder, UINT64* size, UINT64* sizeOnDisk) {
    if (size == nullptr || sizeOnDisk == nullptr) return E_POINTER;
    *size = *sizeOnDisk = 0;
    return AnswerOutOfMemory([&] {
        const FolderSizes answer = MeasureFolder(folder);
        if (!answer.measured) return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        *size = answer.totals.bytes;
        *sizeOnDisk = answer.totals.onDisk;
        return S_OK;
    });
}

STDMETHODIMP TrovelleCacheObject::GetSubfolderSizesOnDisk(BSTR parent, BSTR folder,
                                                          UINT64* folderSize,
                                                          UINT64* folderSizeOnDisk,
                                                          SAFEARRAY** names, SAFEARRAY** sizes,
                                                          SAFEARRAY** sizesOnDisk) {
    if (folderSize == nullptr || folderSizeOnDisk == nullptr || names == nullptr ||
        sizes == nullptr || sizesOnDisk == nullptr) {
        return E_POINTER;
    }
    *folderSize = *folderSizeOnDisk = 0;
    *names = *sizes = *sizesOnDisk = nullptr;
    return AnswerOutOfMemory([&] {
        const FolderSizes answer = MeasureFolder(folder);
        if (!answer.measured) return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        const HRESULT hr = SubfolderArrays(KnownSubfoldersOf(parent), names, sizes, sizesOnDisk);
        if (SUCCEEDED(hr)) {
            *folderSize = answer.totals.bytes;
            *folderSizeOnDisk = answer.totals.onDisk;
        }
        return hr;
    });
}

void TrovelleCacheObject::OnChange(std::unique_ptr<ChangeBatch> batch) {
    // A lost batch carries no bytes, which makes every folder of its drive stale.
    const std::u16string root = ToCore(DriveRoot(batch->letter) + batch->under);
    ApplyChangeBatch(cache_, root, batch->records.data(), batch->records.size());
}

void TrovelleCacheObject::OnWatchLost(wchar_t letter, WatchLoss why) {
    if (why == WatchLoss::ArmFailed) ++cache_.Counters().failedArms;
    // Nothing on the drive is watched any more, so nothing cached for it can be trusted.
    const char16_t drive[] = {static_cast<char16_t>(letter), u':'};
    cache_.DropAllUnder(std::u16string(drive, 2));
}

}  // namespace trovelle
