#include "ShutdownMonitor.h"

#include "ModuleLock.h"

namespace trovelle {
namespace {

HANDLE volatile g_shutdownEvent = nullptr;  // owned by the running ShutdownMonitor
volatile LONG g_activity = 0;
volatile LONG g_stopMonitor = 0;

}  // namespace

ShutdownMonitor::ShutdownMonitor(DWORD mainThread, DWORD timeoutMs)
    : mainThread_(mainThread), timeoutMs_(timeoutMs) {}

bool ShutdownMonitor::Start() {
    event_.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!event_) return false;
    g_shutdownEvent = event_.Get();
    ModuleLock::SetZeroHandler(&OnModuleUnlocked);
    thread_.Reset(::CreateThread(nullptr, 0, &Watch, this, 0, nullptr));
    return static_cast<bool>(thread_);
}

ShutdownMonitor::~ShutdownMonitor() {
    if (thread_) {
        ::InterlockedExchange(&g_stopMonitor, 1);
        ::SetEvent(event_.Get());
        ::WaitForSingleObject(thread_.Get(), INFINITE);  // at most one shutdown timeout
    }
    ModuleLock::SetZeroHandler(nullptr);
    g_shutdownEvent = nullptr;
}

bool ShutdownMonitor::SawActivity() { return g_activity != 0 || ModuleLock::Count() != 0; }

void ShutdownMonitor::OnModuleUnlocked() {
    ::InterlockedExchange(&g_activity, 1);
    if (HANDLE event = g_shutdownEvent) ::SetEvent(event);
}

DWORD WINAPI ShutdownMonitor::Watch(void* raw) {
    const auto& self = *static_cast<ShutdownMonitor*>(raw);
    for (;;) {
        ::WaitForSingleObject(self.event_.Get(), INFINITE);
        DWORD wait;
        do {
            if (g_stopMonitor != 0) return 0;
            ::InterlockedExchange(&g_activity, 0);
            wait = ::WaitForSingleObject(self.event_.Get(), self.timeoutMs_);
        } while (wait == WAIT_OBJECT_0);
        if (!SawActivity()) ::PostThreadMessageW(self.mainThread_, kWindDownMessage, 0, 0);
    }
}

}  // namespace trovelle
