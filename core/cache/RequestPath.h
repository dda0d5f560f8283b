// The cache's door: a requested path turned into the one spelling the index keys it by.
#pragma once

#include <cstddef>
#include <string_view>

#include "system/Platform.h"

namespace trovelle {

// The longest path, in UTF-16 units, that Windows can open.
constexpr size_t kLongestPath = 32767;

struct CanonicalRequest {
    // A path on a drive letter: "x:" for a root ("x:." too), else "x:\name\name" with
    // separators unified, no trailing separator, "." and ".." resolved, names otherwise as given,
    // and a "\\?\", "\\.\" or "\??\" prefix removed. Anything else (UNC paths, relative
    // paths, device names) is not a drive path and keeps its spelling.
    bool isDrivePath = false;
    Path path;
};

CanonicalRequest CanonicalizeRequest(std::u16string_view request);

// Whether a name has the form of a generated short (8.3) name, which only the file system can
// expand to the long name the index holds.
bool LooksLikeShortName(std::u16string_view name);
// Whether a component of `path` may be such a short name.
bool MayHoldShortName(std::u16string_view path);

}  // namespace trovelle
