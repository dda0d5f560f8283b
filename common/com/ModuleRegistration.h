// A COM module's whole registration: its AppID entries, its class entries and its type library,
// written and removed in the one order every module of the product uses.
#pragma once

#include <windows.h>

#include "Registrar.h"

namespace trovelle {

// AppID entries, class entries, then the type library; stops at the first failure.
HRESULT RegisterModule(const ModuleRegistration& registration);

// Class entries, the type library (one that is not registered counts as removed), then the AppID
// entries; every step runs, and the first failure is returned.
HRESULT UnregisterModule(const ModuleRegistration& registration);

}  // namespace trovelle
