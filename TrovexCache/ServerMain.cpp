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
#include "ModuleLock.h"
#include "SettingsStore.h"
#include "TrovexCache.h"
#include "UniqueHandle.h"

namespace trovelle {
namespace {

constexpr wchar_t kInstanceMutexName[] =
    L"TrovexCacheServer.{E46A7DAC-D759-4915-8F32-BD3C55B7B10F}";
constexpr DWORD kShutdownTimeout = 5000;
constexpr DWORD kShutdownPause = 1000;

DWORD g_mainThread = 0;
HANDLE g_shutdownEvent = nullptr;  // owned by the shutdown monitor, which closes it
volatile LONG g_activity = 0;
CacheFactory g_factory;

void OnModuleUnlocked() {
    ::InterlockedExchange(&g_activity, 1);
    if (g_shutdownEvent != nullptr) ::SetEvent(g_shutdownEvent);
}

DWORD WINAPI ShutdownMonitor(void*) {
    for (;;) {
        ::WaitForSingleObject(g_shutdownEvent, INFINITE);
        DWORD wait;
        do {
            ::InterlockedExchange(&g_activity, 0);
            wait = ::WaitForSingleObject(g_shutdownEvent, kShutdownTimeout);
        } while (wait == WAIT_OBJECT_0);
        if (g_activity == 0 && ModuleLock::Count() == 0) break;
    }
    ::PostThreadMessageW(g_mainThread, WM_QUIT, 0, 0);
    return 0;
}

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

HRESULT Serve() {
    DWORD cookie = 0;
    HRESULT hr = ::CoRegisterClassObject(CLSID_TrovelleCache, &g_factory, CLSCTX_LOCAL_SERVER,
                                         REGCLS_MULTIPLEUSE, &cookie);
    if (FAILED(hr)) return hr;
    g_shutdownEvent = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (g_shutdownEvent == nullptr) return E_FAIL;
    UniqueKernelHandle monitor(::CreateThread(nullptr, 0, &ShutdownMonitor, nullptr, 0, nullptr));
    if (!monitor) return E_FAIL;

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
    hr = ::CoRevokeClassObject(cookie);
    ::Sleep(kShutdownPause);
    return hr;
}

int Run() {
    g_mainThread = ::GetCurrentThreadId();
    ModuleLock::SetZeroHandler(&OnModuleUnlocked);
    const HRESULT comResult = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);

    int exitCode = 0;
    UniqueKernelHandle instance(::CreateMutexW(nullptr, TRUE, kInstanceMutexName));
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
                g_factory.SetOptions({command.changeLogPath});
                exitCode = Serve();
                break;
        }
    }
    instance.Reset();
    g_factory.Teardown();
    if (SUCCEEDED(comResult)) ::CoUninitialize();
    return exitCode;
}

}  // namespace
}  // namespace trovelle

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return trovelle::Run(); }
