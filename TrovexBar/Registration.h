// What DllRegisterServer writes and DllUnregisterServer removes.
#pragma once

#include <windows.h>

namespace trovelle {

HRESULT RegisterTrovexBar();
HRESULT UnregisterTrovexBar();

}  // namespace trovelle
