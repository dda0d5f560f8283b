// Watches the module's lock count and, once it has stayed at zero for the shutdown timeout,
// posts a wind-down message to the main thread. It keeps watching afterwards: the main thread
// may find a client came meanwhile and serve on.
#pragma once

#include <windows.h>

#include "UniqueHandle.h"

namespace trovelle {

class ShutdownMonitor {
public:
    // The thread message the main thread receives when the server has been idle long enough.
    static constexpr UINT kWindDownMessage = WM_APP + 1;

    explicit ShutdownMonitor(DWORD mainThread, DWORD timeoutMs);
    ~ShutdownMonitor();
    ShutdownMonitor(const ShutdownMonitor&) = delete;
    ShutdownMonitor& operator=(const ShutdownMonitor&) = delete;

    bool Start();
    // Whether anything was unlocked since the monitor last looked, or anything holds the module:
    // the wind-down is cancelled then.
    static bool SawActivity();

private:
    static DWORD WINAPI Watch(void* self);
    static void OnModuleUnlocked();

    const DWORD mainThread_;
    const DWORD timeoutMs_;
    UniqueKernelHandle event_;
    UniqueKernelHandle thread_;
};

}  // namespace trovelle
