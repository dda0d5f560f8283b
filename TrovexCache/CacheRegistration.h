#pragma once

#include <windows.h>

namespace trovelle {

// Writes the AppID entries, then the class entries and the type library registration.
HRESULT RegisterCacheServer();
// Removes the class entries and the type library registration, then the AppID entries.
HRESULT UnregisterCacheServer();

}  // namespace trovelle
