// Folder keys: full paths with ASCII A-Z folded to a-z and nothing else normalised.
#pragma once

#include <cstddef>
#include <string_view>

#include "Platform.h"

namespace trovelle {

inline char16_t FoldUnit(char16_t unit) {
    return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit + 0x20) : unit;
}

inline void FoldKey(Path& path) {
    for (char16_t& unit : path) unit = FoldUnit(unit);
}

// The folder that contains `path`: everything before its last backslash, or the path whole.
inline std::u16string_view ContainingFolder(std::u16string_view path) {
    const size_t cut = path.rfind(u'\\');
    return cut == std::u16string_view::npos ? path : path.substr(0, cut);
}

}  // namespace trovelle
