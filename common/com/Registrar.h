// Registry entries described as data, written and removed by the same tables so that
// registration and unregistration cannot drift apart.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace trovelle {

struct RegistryEntry {
    enum Removal {
        RemoveKey,         // the key (with everything below it) goes on unregistration
        RemoveValueOnly,   // only this named value goes; the key is shared with others
        KeepKey,           // the key is never removed (for example HKCR\AppID)
    };
    HKEY root;
    const wchar_t* key;          // may contain %MODULE%, %APPID% style placeholders
    const wchar_t* valueName;    // nullptr: the key's default value
    const wchar_t* value;        // nullptr: no value, just the key
    Removal removal;
    bool replaceTree;            // delete the key with its content before writing it
};

using Substitutions = std::vector<std::pair<std::wstring, std::wstring>>;

// Writes the entries in order; stops at the first failure and returns it as an HRESULT.
HRESULT RegisterEntries(std::initializer_list<RegistryEntry> entries,
                        const Substitutions& substitutions);
// Removes the entries in reverse order; missing keys and values are not failures.
HRESULT UnregisterEntries(std::initializer_list<RegistryEntry> entries,
                          const Substitutions& substitutions);

std::wstring Substitute(const wchar_t* text, const Substitutions& substitutions);
// The full path of the module that contains this code (a DLL or the program).
std::wstring ThisModulePath();
HMODULE ThisModule();

}  // namespace trovelle
