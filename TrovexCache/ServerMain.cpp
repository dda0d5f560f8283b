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
#include "InstanceMutex.h"
#include "ProductNames.h"
#include "SettingsStore.h"
#include "ShutdownMonitor.h"
#include "TrovexCache.h"

namespace trovelle {
namespace {

constexpr DWORD kShutdownTimeout = 5000;
constexpr DWORD kShutdownPause = 1000;
// How long a server that COM started finds another instance's mutex taken before it gives up:
// the other one is ending (it gives the mutex up right after withdrawing its class object) or
// starting (it will register and take the client itself).
constexpr DWORD kSuccessorWait = 5000;

enum class Switch { None, RegServer, UnregServer };

struct CommandLine {
    Switch registration = Switch::None;
    bool embedding = false;      // started by COM for a client
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
        if (EqualsIgnoringCase(word, L"Embedding")) parsed.embedding = true;
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

// The server has been idle for the shutdown timeout. Unless a client came meanwhile (it is served
// on), the factory refuses every later creation first (CO_E_SERVER_STOPPING, which sends the
// client to a successor) and then the class object is withdrawn, so that no creation can slip
// between the decision and the withdrawal. True when the server is to end.
bool WindDown(ClassObjectRegistration& registration, CacheFactory& factory) {
    if (!factory.CloseUnless(&ShutdownMonitor::SawActivity)) return false;
    registration.Revoke();
    return true;
}

HRESULT Serve(CacheFactory& factory, InstanceMutex& instance) {
    ClassObjectRegistration registration;
    HRESULT hr = registration.Register(CLSID_TrovelleCache, static_cast<IClassFactory*>(&factory),
                                       CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE);
    if (FAILED(hr)) return hr;
    ShutdownMonitor monitor(::GetCurrentThreadId(), kShutdownTimeout);
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
            if (message.hwnd == nullptr && message.message == ShutdownMonitor::kWindDownMessage) {
                if (WindDown(registration, factory)) break;
                continue;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    hr = registration.Revoke();
    instance.GiveUp();  // a successor may serve while this one ends
    ::Sleep(kShutdownPause);
    return hr;
}

int Run() {
    const HRESULT comResult = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const CommandLine command = ParseCommandLine(::GetCommandLineW());

    int exitCode = 0;
    Microsoft::WRL::ComPtr<CacheFactory> factory;
    InstanceMutex instance(kCacheServerMutexName, command.embedding ? kSuccessorWait : 0);
    if (!instance.Owned()) {
        exitCode = 0;  // another instance serves
    } else if (FAILED(comResult)) {
        exitCode = -1;
    } else {
        switch (command.registration) {
            case Switch::RegServer: exitCode = RegisterCacheServer(); break;
            case Switch::UnregServer: exitCode = UnregisterCacheServer(); break;
            case Switch::None:
                factory = CacheFactory::Make(CacheServerOptions{command.changeLogPath});
                exitCode = factory ? Serve(*factory.Get(), instance) : E_OUTOFMEMORY;
                break;
        }
    }
    instance.GiveUp();
    if (factory) factory->Teardown();
    factory.Reset();
    if (SUCCEEDED(comResult)) ::CoUninitialize();
    return exitCode;
}

}  // namespace
}  // namespace trovelle

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return trovelle::Run(); }
