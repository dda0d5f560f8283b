// What DllRegisterServer writes and DllUnregisterServer removes.
#pragma once

#include <windows.h>

namespace trovelle {

HRESULT RegisterTrovex();
HRESULT UnregisterTrovex();

}  // namespace trovelle
