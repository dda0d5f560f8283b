#include "Win32DirectoryLister.h"
#include "StartupCaching.h"

#include <new>
#include <vector>

#include "CacheObject.h"
#include "ProductNames.h"
#include "SettingsStore.h"
#include "resource.h"

namespace trovelle {
namespace {

constexpr wchar_t kCloseEventName[] = L"TrovellePro_CloseUpdWindow";
constexpr DWORD kMutexTimeout = 60000;
constexpr DWORD kSplashTimeout = 600000;

struct DriveWork {
    wchar_t drive[4];
    int64_t splashFlag;
    TrovelleCacheObject* cache;  // no reference: the object waits for this thread when it dies
};

// Runs `change` on the counter while holding the splash mutex; nothing happens when the mutex
// cannot be had within the timeout.
template <typename Change>
void WithSplashMutex(Change change) {
    UniqueKernelHandle mutex(::CreateMutexW(nullptr, FALSE, kSplashMutexName));
    if (!mutex) return;
    const DWORD wait = ::WaitForSingleObject(mutex.Get(), kMutexTimeout);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return;
    change();
    ::ReleaseMutex(mutex.Get());
}

INT_PTR CALLBACK SplashProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Waits for `event` up to `timeout` ms while serving the thread's windows, so that the splash
// paints (and shows at all under Wine) instead of standing blank until it is closed.
void WaitPumpingMessages(HANDLE event, DWORD timeout) {
    const ULONGLONG deadline = ::GetTickCount64() + timeout;
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return;
        const DWORD woke = ::MsgWaitForMultipleObjects(1, &event, FALSE,
                                                       static_cast<DWORD>(deadline - now),
                                                       QS_ALLINPUT);
        if (woke != WAIT_OBJECT_0 + 1) return;  // the event, the timeout or a failure
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

DWORD WINAPI SplashMain(void*) {
    HWND splash = ::CreateDialogParamW(::GetModuleHandleW(nullptr),
                                       MAKEINTRESOURCEW(IDD_SPLASH), ::GetDesktopWindow(),
                                       &SplashProc, 0);
    if (splash != nullptr) {
        ::ShowWindow(splash, SW_SHOW);
        ::UpdateWindow(splash);
    }
    UniqueKernelHandle closeEvent(::CreateEventW(nullptr, TRUE, FALSE, kCloseEventName));
    if (closeEvent) WaitPumpingMessages(closeEvent.Get(), kSplashTimeout);
    if (splash != nullptr) ::DestroyWindow(splash);
    return 0;
}

DWORD ScanDrive(DriveWork* raw) {
    std::unique_ptr<DriveWork> work(raw);
    Win32DirectoryLister::YieldBeforeEachListingOnThisThread();
    work->cache->MeasureFolder(work->drive);
    ::InterlockedDecrement(&work->cache->DriveScansLeft());
    if (work->splashFlag != 1) return 0;
    WithSplashMutex([&] {
        if (--work->cache->StartupScanCounter() != 0) return;
        // Kept open for the life of the process, so the signal outlives a late splash.
        static HANDLE closeEvent = nullptr;
        if (closeEvent == nullptr) closeEvent = ::CreateEventW(nullptr, TRUE, FALSE, kCloseEventName);
        if (closeEvent != nullptr) ::SetEvent(closeEvent);
    });
    return 0;
}

}  // namespace

HRESULT StartCachingAllDrives(TrovelleCacheObject& cache) {
    const std::vector<wchar_t> drives = FixedDriveLetters();
    // Scans still running from an earlier call: they will cache every drive; starting more
    // threads and another splash would only repeat their work.
    if (::InterlockedCompareExchange(&cache.DriveScansLeft(), static_cast<LONG>(drives.size()), 0) !=
        0) {
        return S_OK;
    }
    int64_t splashFlag = 1;
    bool keyOpened = false;
    {
        SettingsKey key = SettingsKey::OpenForWriting(KEY_ALL_ACCESS);
        keyOpened = static_cast<bool>(key);
        splashFlag = key.ReadInteger(Setting::EnableUpdSplash, SettingsReader::TrovexCache);
    }

    // With no drive to scan nothing would ever close the splash, so it is not shown at all.
    if (keyOpened && splashFlag == 1 && !drives.empty()) {
        HANDLE splash = ::CreateThread(nullptr, 0, &SplashMain, nullptr, 0, nullptr);
        if (splash != nullptr) ::CloseHandle(splash);
    }
    if (splashFlag == 1) {
        WithSplashMutex([&] { cache.StartupScanCounter() += static_cast<LONG>(drives.size()); });
    }
    for (wchar_t letter : drives) {
        auto* work = new (std::nothrow) DriveWork{{letter, L':', L'\0', L'\0'}, splashFlag, &cache};
        if (work == nullptr ||
            !StartTrackedThread(cache.DriveScans(), &ScanDrive, work)) {
            delete work;
            ::InterlockedDecrement(&cache.DriveScansLeft());
        }
    }
    return S_OK;
}

}  // namespace trovelle
