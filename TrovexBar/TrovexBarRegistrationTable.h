// What TrovexBar.dll registers: its AppID, its class, and the value that puts the band in the
// browser's toolbar list (the type library comes on top).
#pragma once

#include <string>

#include "RegistryTable.h"

namespace trovelle {

// The entries for the library at modulePath.
ModuleRegistration TrovexBarRegistration(const std::wstring& modulePath);

}  // namespace trovelle
