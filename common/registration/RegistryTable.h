// A module's registry entries described as plain data, with no Windows headers: the registrar
// writes and removes them on Windows, and the installer build turns the same tables into the
// package's registry rows, so the two cannot drift apart.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace trovelle {

enum class RegistryRoot { ClassesRoot, LocalMachine };

struct RegistryEntry {
    enum Removal {
        RemoveKey,         // the key (with everything below it) goes on unregistration
        RemoveValueOnly,   // only this named value goes; the key is shared with others
        KeepKey,           // the key is never removed (for example HKCR\AppID)
    };
    RegistryRoot root;
    const wchar_t* key;          // may contain %MODULE%, %APPID% style placeholders
    const wchar_t* valueName;    // nullptr: the key's default value
    const wchar_t* value;        // nullptr: no value, just the key
    Removal removal;
    bool replaceTree;            // delete the key with its content before writing it
};

using Substitutions = std::vector<std::pair<std::wstring, std::wstring>>;

// A COM module's whole registration: its AppID entries and its class entries, with the values of
// their placeholders. The module's type library is registered after them.
struct ModuleRegistration {
    std::initializer_list<RegistryEntry> appIdEntries;
    std::initializer_list<RegistryEntry> classEntries;
    Substitutions substitutions;
};

std::wstring Substitute(const wchar_t* text, const Substitutions& substitutions);

}  // namespace trovelle
