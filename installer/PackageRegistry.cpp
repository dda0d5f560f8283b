#include "PackageRegistry.h"

#include <cwchar>

namespace trovelle::installer {
namespace {

constexpr wchar_t kAutomationProxy[] = L"{00020424-0000-0000-C000-000000000046}";
constexpr wchar_t kDispatchProxy[] = L"{00020420-0000-0000-C000-000000000046}";
constexpr uint16_t kLibFlagHasDiskImage = 0x8;  // set for every library loaded from a file

bool IsBelow(const std::wstring& key, const std::wstring& ancestor) {
    return key.size() > ancestor.size() && key[ancestor.size()] == L'\\' &&
           key.compare(0, ancestor.size(), ancestor) == 0;
}

// A literal in the installer's formatted text: brackets would start an expression and a leading
// '#' would make a number of the value.
std::wstring Literal(const std::wstring& text) {
    std::wstring result = !text.empty() && text[0] == L'#' ? L"#" : L"";
    for (const wchar_t c : text) {
        if (c == L'[') {
            result += L"[\\[]";
        } else if (c == L']') {
            result += L"[\\]]";
        } else {
            result += c;
        }
    }
    return result;
}

// A table text made literal first, so that only the placeholders' values are expressions.
std::wstring Bind(const wchar_t* text, const Substitutions& substitutions) {
    return Substitute(Literal(text != nullptr ? text : L"").c_str(), substitutions);
}

std::wstring Hex(unsigned value) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%x", value);
    return text;
}

PackageRow ValueRow(RegistryView view, std::wstring key, std::wstring name, std::wstring value) {
    return {view, RegistryRoot::ClassesRoot, std::move(key), PackageRow::Value, std::move(name),
            std::move(value)};
}

PackageRow RemovalRow(RegistryView view, std::wstring key) {
    return {view, RegistryRoot::ClassesRoot, std::move(key), PackageRow::RemoveWhole, {}, {}};
}

// What registering an automation interface writes under Interface\{IID}.
void AddInterfaceRows(std::vector<PackageRow>& rows, RegistryView view, const TypeLibInfo& library,
                      const TypeInfoEntry& type) {
    const std::wstring key = L"Interface\\" + type.guid;
    const bool dual = type.kind == TypeKind::Interface || (type.flags & kTypeFlagDual) != 0;
    const std::wstring proxy = dual ? kAutomationProxy : kDispatchProxy;
    rows.push_back(ValueRow(view, key, {}, Literal(type.name)));
    rows.push_back(ValueRow(view, key + L"\\ProxyStubClsid", {}, proxy));
    rows.push_back(ValueRow(view, key + L"\\ProxyStubClsid32", {}, proxy));
    rows.push_back(ValueRow(view, key + L"\\TypeLib", {}, library.libId));
    rows.push_back(ValueRow(view, key + L"\\TypeLib", L"Version",
                            Hex(library.majorVersion) + L"." + Hex(library.minorVersion)));
    rows.push_back(RemovalRow(view, key));
}

}  // namespace

std::vector<PackageRow> ModuleRows(const ModuleRegistration& registration) {
    std::vector<PackageRow> rows;
    std::vector<std::wstring> removedWhole;  // keys unregistering deletes with their subtrees
    for (const auto* entries : {&registration.appIdEntries, &registration.classEntries}) {
        for (const RegistryEntry& entry : *entries) {
            PackageRow row{RegistryView::Native, entry.root,
                           Bind(entry.key, registration.substitutions), PackageRow::Value,
                           Literal(entry.valueName != nullptr ? entry.valueName : L""), {}};
            const bool removed = entry.removal == RegistryEntry::RemoveKey;
            if (entry.value != nullptr) {
                row.value = Bind(entry.value, registration.substitutions);
            } else {
                row.kind = removed ? PackageRow::KeyRemovedWhole : PackageRow::Key;
            }
            if (removed) removedWhole.push_back(row.key);
            rows.push_back(std::move(row));
        }
    }
    // One removal row per subtree: keys below another removed key go with it.
    for (size_t i = 0; i < removedWhole.size(); ++i) {
        bool covered = false;
        for (size_t j = 0; j < removedWhole.size() && !covered; ++j) {
            covered = IsBelow(removedWhole[i], removedWhole[j]) ||
                      (j < i && removedWhole[j] == removedWhole[i]);
        }
        if (!covered) rows.push_back(RemovalRow(RegistryView::Native, removedWhole[i]));
    }
    return rows;
}

std::vector<PackageRow> TypeLibRows(const TypeLibInfo& library, const std::wstring& filePath,
                                    const std::wstring& helpFolder) {
    std::vector<PackageRow> rows;
    const std::wstring libraryKey = L"TypeLib\\" + library.libId;
    const std::wstring versionKey =
        libraryKey + L"\\" + Hex(library.majorVersion) + L"." + Hex(library.minorVersion);
    const wchar_t* platform = library.sysKind == 3 ? L"win64" : L"win32";
    const RegistryView native = RegistryView::Native;
    rows.push_back(ValueRow(native, versionKey, {},
                            Literal(library.docString.empty() ? library.name : library.docString)));
    rows.push_back(ValueRow(native, versionKey + L"\\" + Hex(library.lcid) + L"\\" + platform, {},
                            filePath));
    rows.push_back(ValueRow(native, versionKey + L"\\FLAGS", {},
                            std::to_wstring(library.libFlags | kLibFlagHasDiskImage)));
    rows.push_back(ValueRow(native, versionKey + L"\\HELPDIR", {}, helpFolder));
    rows.push_back(RemovalRow(native, libraryKey));
    for (const TypeInfoEntry& type : library.types) {
        const bool automation =
            type.kind == TypeKind::Dispatch ||
            (type.kind == TypeKind::Interface && (type.flags & kTypeFlagOleAutomation) != 0);
        if (!automation) continue;
        AddInterfaceRows(rows, RegistryView::Native, library, type);
        AddInterfaceRows(rows, RegistryView::Wow32, library, type);
    }
    return rows;
}

}  // namespace trovelle::installer
