// What TrovexCache.exe registers: its AppID and the TrovelleCache class with its ProgIDs (the
// type library comes on top).
#pragma once

#include <string>

#include "RegistryTable.h"

namespace trovelle {

// The entries for the program at modulePath.
ModuleRegistration CacheServerRegistration(const std::wstring& modulePath);

}  // namespace trovelle
