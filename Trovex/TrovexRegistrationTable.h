// What Trovex.dll registers: its AppID, its class, and its place among the folder column
// handlers and the approved shell extensions (the type library comes on top).
#pragma once

#include <string>

#include "RegistryTable.h"

namespace trovelle {

// The entries for the library at modulePath.
ModuleRegistration TrovexRegistration(const std::wstring& modulePath);

}  // namespace trovelle
