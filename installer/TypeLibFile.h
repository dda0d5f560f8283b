// Reads what registering a type library needs from a type library file in the binary "MSFT"
// format (what the IDL compiler writes and the deliverables carry as their TYPELIB resource):
// the library's identity and, for each type, its kind, flags, GUID and name. Portable: the
// package is built on machines without the OLE Automation runtime.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace trovelle::installer {

// Kinds and flags as the file stores them (the values of TYPEKIND and TYPEFLAGS).
enum class TypeKind : uint32_t {
    Enum = 0, Record, Module, Interface, Dispatch, CoClass, Alias, Union,
};
constexpr uint32_t kTypeFlagDual = 0x40;
constexpr uint32_t kTypeFlagOleAutomation = 0x100;

struct TypeInfoEntry {
    TypeKind kind;
    uint32_t flags;
    std::wstring guid;  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case
    std::wstring name;
};

struct TypeLibInfo {
    std::wstring libId;
    uint16_t majorVersion = 0;
    uint16_t minorVersion = 0;
    uint32_t lcid = 0;
    uint32_t sysKind = 0;       // 1 win32, 3 win64
    uint16_t libFlags = 0;
    std::wstring name;
    std::wstring docString;     // empty when the library has none
    std::vector<TypeInfoEntry> types;
};

// Parses the bytes of a type library; on a malformed or truncated file returns nothing and
// says why in `error`.
std::optional<TypeLibInfo> ReadTypeLib(const std::vector<uint8_t>& bytes, std::string& error);

}  // namespace trovelle::installer
