// A path's parent folder, cut the one way every program here cuts it.
#pragma once

#include <string_view>

namespace trovelle {

// Everything before the last backslash; the path whole when it holds none.
inline std::wstring_view ParentFolder(std::wstring_view path) {
    const size_t cut = path.rfind(L'\\');
    return cut == std::wstring_view::npos ? path : path.substr(0, cut);
}

// Whether `path` names something inside a folder (holds a backslash).
inline bool HasParentFolder(std::wstring_view path) { return ParentFolder(path).size() != path.size(); }

}  // namespace trovelle
