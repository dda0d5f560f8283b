// The installer's registry rows for the COM deliverables: the entries of a module's registration
// table and the entries that registering its type library writes, with the installer's own
// expressions for paths. Removal rows make uninstalling remove what unregistering removes.
#pragma once

#include <string>
#include <vector>

#include "RegistryTable.h"
#include "TypeLibFile.h"

namespace trovelle::installer {

enum class RegistryView { Native, Wow32 };

struct PackageRow {
    enum Kind {
        Value,              // `name` (empty: the default value) set to `value`
        Key,                // an empty key, created on install and left on removal
        KeyRemovedWhole,    // an empty key, created on install and removed on removal
        RemoveWhole,        // nothing on install; the key and all below it go on removal
    };
    RegistryView view;
    RegistryRoot root;
    std::wstring key;
    Kind kind;
    std::wstring name;
    std::wstring value;
};

// The rows of a module's registration table, its placeholders bound to installer expressions.
std::vector<PackageRow> ModuleRows(const ModuleRegistration& registration);

// The rows that registering `library` from the file at `filePath` writes, `helpFolder` being the
// folder that holds the file. Automation interfaces are entered in both registry views.
std::vector<PackageRow> TypeLibRows(const TypeLibInfo& library, const std::wstring& filePath,
                                    const std::wstring& helpFolder);

}  // namespace trovelle::installer
