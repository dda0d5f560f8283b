// The cache server process: one instance serving TrovelleCache from the multithreaded
// apartment, ending five seconds after the last external reference has gone.
//
// Why not a single-threaded apartment: there every client call waits its turn on the main
// thread, so one cold scan stalls every client; and when a departing client's last release
// tears down the object's interface stub on that thread, COM waits there for calls that are
// queued for the very same thread, which never returns (a hang met under Wine with clients that
// come and go). In the multithreaded apartment calls run on COM's own threads; the object guards
// everything it shares (cache lock, interlocked counts).
#include <windows.h>

#include <cwctype>
#include <string>
#include <string_view>

#include "CacheFactory.h"
#include "CacheRegistration.h"
#include "ClassObjectRegistration.h"
#include "ModuleLock.h"
#include "ProductNames.h"
#include "SettingsStore.h"
#include "TrovexCache.h"
#include "UniqueHandle.h"

namespace trovelle {
namespace {

constexpr DWORD kShutdownTimeout = 5000;
constexpr DWORD kShutdownPause = 1000;

DWORD g_mainThread = 0;
HANDLE volatile g_shutdownEvent = nullptr;  // owned by the running ShutdownMonitor
volatile LONG g_activity = 0;
volatile LONG g_stopMonitor = 0;

void OnModuleUnlocked() {
    ::InterlockedExchange(&g_activity, 1);
    if (HANDLE event = g_shutdownEvent) ::SetEvent(event);
}

// Ends the message loop once the module has stayed unlocked for the shutdown timeout. It owns
// the event the module's unlocking sets, and its thread: both end with it, on every way out.
class ShutdownMonitor {
public:
    bool Start() {
        event_.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
        if (!event_) return false;
        g_shutdownEvent = event_.Get();
        thread_.Reset(::CreateThread(nullptr, 0, &Watch, nullptr, 0, nullptr));
        return static_cast<bool>(thread_);
    }
    ~ShutdownMonitor() {
        if (thread_) {
            ::InterlockedExchange(&g_stopMonitor, 1);
            ::SetEvent(event_.Get());
            ::WaitForSingleObject(thread_.Get(), INFINITE);  // at most one shutdown timeout
        }
        g_shutdownEvent = nullptr;
    }

private:
    static DWORD WINAPI Watch(void*) {
        for (;;) {
            ::WaitForSingleObject(g_shutdownEvent, INFINITE);
            DWORD wait;
            do {
                if (g_stopMonitor != 0) return 0;
                ::InterlockedExchange(&g_activity, 0);
                wait = ::WaitForSingleObject(g_shutdownEvent, kShutdownTimeout);
            } while (wait == WAIT_OBJECT_0);
            if (g_activity == 0 && ModuleLock::Count() == 0) break;
        }
        ::PostThreadMessageW(g_mainThread, WM_QUIT, 0, 0);
        return 0;
    }

    UniqueKernelHandle event_;
    UniqueKernelHandle thread_;
};

enum class Switch { None, RegServer, UnregServer };

struct CommandLine {
    Switch registration = Switch::None;
    std::wstring changeLogPath;  // "/ChangeLog <file>": a diagnosis aid, see ChangeLog.h
};

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    }
    return true;
}

// The rest of the line after a switch, without blanks around it or the quotes of a quoted path.
std::wstring ArgumentAfter(std::wstring_view line, size_t end) {
    if (end == std::wstring_view::npos) return {};
    std::wstring_view rest = line.substr(end);
    while (!rest.empty() && (rest.front() == L' ' || rest.front() == L'\t')) rest.remove_prefix(1);
    while (!rest.empty() && (rest.back() == L' ' || rest.back() == L'\t')) rest.remove_suffix(1);
    if (rest.size() >= 2 && rest.front() == L'"') {
        rest.remove_prefix(1);
        rest = rest.substr(0, rest.find(L'"'));
    }
    return std::wstring(rest);
}

// Every word after a "-" or "/" is a candidate; the first registration switch decides. The
// change log's switch takes the rest of the line as its file.
CommandLine ParseCommandLine(std::wstring_view line) {
    CommandLine parsed;
    for (size_t at = line.find_first_of(L"-/"); at != std::wstring_view::npos;
         at = line.find_first_of(L"-/", at + 1)) {
        const size_t start = at + 1;
        const size_t end = line.find_first_of(L" \t\"", start);
        const std::wstring_view word = line.substr(start, end == std::wstring_view::npos
                                                              ? std::wstring_view::npos
                                                              : end - start);
        if (EqualsIgnoringCase(word, L"ChangeLog")) {
            parsed.changeLogPath = ArgumentAfter(line, end);
            break;
        }
        if (parsed.registration != Switch::None) continue;
        if (EqualsIgnoringCase(word, L"UnregServer")) parsed.registration = Switch::UnregServer;
        if (EqualsIgnoringCase(word, L"RegServer")) parsed.registration = Switch::RegServer;
    }
    return parsed;
}

void StartCachingWhenAsked(ITrovelleCache& cache) {
    const SettingsKey key = SettingsKey::OpenForReading();
    if (!key) return;
    if (key.ReadInteger(Setting::CacheAll, SettingsReader::TrovexCache) == 1) cache.CreateCache();
}

HRESULT Serve(CacheFactory& factory) {
    ClassObjectRegistration registration;
    HRESULT hr = registration.Register(CLSID_TrovelleCache, static_cast<IClassFactory*>(&factory),
                                       CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE);
    if (FAILED(hr)) return hr;
    ShutdownMonitor monitor;
    if (!monitor.Start()) return E_FAIL;

    // The server's own reference keeps it alive after the last client until ReleaseServer.
    ITrovelleCache* ownCache = nullptr;
    hr = ::CoCreateInstance(CLSID_TrovelleCache, nullptr, CLSCTX_LOCAL_SERVER,
                            IID_PPV_ARGS(&ownCache));
    if (FAILED(hr)) return hr;
    StartCachingWhenAsked(*ownCache);

    if (hr == S_OK) {
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    hr = registration.Revoke();
    ::Sleep(kShutdownPause);
    return hr;
}

int Run() {
    g_mainThread = ::GetCurrentThreadId();
    ModuleLock::SetZeroHandler(&OnModuleUnlocked);
    const HRESULT comResult = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);

    int exitCode = 0;
    Microsoft::WRL::ComPtr<CacheFactory> factory;
    UniqueKernelHandle instance(::CreateMutexW(nullptr, TRUE, kCacheServerMutexName));
    if (!instance || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        exitCode = 0;  // another instance serves
    } else if (FAILED(comResult)) {
        exitCode = -1;
    } else {
        const CommandLine command = ParseCommandLine(::GetCommandLineW());
        switch (command.registration) {
            case Switch::RegServer: exitCode = RegisterCacheServer(); break;
            case Switch::UnregServer: exitCode = UnregisterCacheServer(); break;
            case Switch::None:
                factory = CacheFactory::Make(CacheServerOptions{command.changeLogPath});
                exitCode = factory ? Serve(*factory.Get()) : E_OUTOFMEMORY;
                break;
        }
    }
    instance.Reset();
    if (factory) factory->Teardown();
    factory.Reset();
    if (SUCCEEDED(comResult)) ::CoUninitialize();
    return exitCode;
}

}  // namespace
}  // namespace trovelle

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return trovelle::Run(); }
