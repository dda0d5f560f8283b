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
    // Called on the unlocking thread each time the count falls to zero.
    static void SetZeroHandler(ZeroHandler handler);
};

}  // namespace trovelle
