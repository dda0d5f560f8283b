// The count of outstanding references to a COM server module. Servers decide what to do when
// it falls to zero (a local server starts its shutdown delay; a DLL may be unloaded).
#pragma once

#include <windows.h>

namespace trovelle {

class ModuleLock {
public:
    using ZeroHandler = void (*)();

    static LONG Lock();
    static LONG Unlock();
    static LONG Count();
    // DllCanUnloadNow's answer: S_OK when nothing holds the module.
    static HRESULT CanUnloadNow() { return Count() == 0 ? S_OK : S_FALSE; }
    // Called on the unlocking thread each time the count falls to zero.
    static void SetZeroHandler(ZeroHandler handler);
};

// The module locked for as long as this object lives (a window of the module's own that
// outlives the COM object that made it, for instance).
class ModuleLockHold {
public:
    ModuleLockHold() { ModuleLock::Lock(); }
    ~ModuleLockHold() { ModuleLock::Unlock(); }
    ModuleLockHold(const ModuleLockHold&) = delete;
    ModuleLockHold& operator=(const ModuleLockHold&) = delete;
};

}  // namespace trovelle
