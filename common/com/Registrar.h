// Writes and removes the registry entries of a table (RegistryTable.h) on Windows, so that
// registration and unregistration cannot drift apart.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "RegistryTable.h"

namespace trovelle {

// Writes the entries in order; stops at the first failure and returns it as an HRESULT.
HRESULT RegisterEntries(std::initializer_list<RegistryEntry> entries,
                        const Substitutions& substitutions);
// Removes the entries in reverse order; missing keys and values are not failures.
HRESULT UnregisterEntries(std::initializer_list<RegistryEntry> entries,
                          const Substitutions& substitutions);

// The full path of the module that contains this code (a DLL or the program).
std::wstring ThisModulePath();
HMODULE ThisModule();

}  // namespace trovelle
