// Folder keys: canonical full paths folded the way the file system compares names, so that
// every spelling of one folder meets one node.
#pragma once

#include <cstddef>
#include <string_view>

#include "system/Platform.h"

namespace trovelle {

// Folds one code unit: ASCII A-Z to a-z; any other unit to its simple upper case (the mapping a
// case-insensitive file system compares with), then ASCII to lower case again. Two names are one
// folder on disk exactly when their folded forms are equal.
char16_t FoldNonAscii(char16_t unit);

inline char16_t FoldUnit(char16_t unit) {
    if (unit < 0x80) return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit + 0x20) : unit;
    return FoldNonAscii(unit);
}

inline void FoldKey(Path& path) {
    for (char16_t& unit : path) unit = FoldUnit(unit);
}

inline Path FoldedKey(std::u16string_view path) {
    Path key(path);
    FoldKey(key);
    return key;
}

// The folder that contains `path`: everything before its last backslash, or the path whole.
inline std::u16string_view ContainingFolder(std::u16string_view path) {
    const size_t cut = path.rfind(u'\\');
    return cut == std::u16string_view::npos ? path : path.substr(0, cut);
}

// Whether `path` is `folder` itself or lies below it (component-wise: c:\ab is not below c:\a).
inline bool IsAtOrBelow(std::u16string_view path, std::u16string_view folder) {
    if (path.size() < folder.size() || path.substr(0, folder.size()) != folder) return false;
    return path.size() == folder.size() || path[folder.size()] == u'\\';
}

}  // namespace trovelle
