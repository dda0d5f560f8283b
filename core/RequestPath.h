// The cache's door: a requested path turned into the one spelling the index keys it by.
#pragma once

#include <string_view>

#include "Platform.h"

namespace trovelle {

struct CanonicalRequest {
    // A path on a drive letter: "x:" for a root, else "x:\name\name" with separators unified,
    // no trailing separator, "." and ".." resolved and a "\\?\" prefix removed. Anything else
    // (UNC paths, relative paths, device names) is not a drive path and keeps its spelling.
    bool isDrivePath = false;
    Path path;
};

CanonicalRequest CanonicalizeRequest(std::u16string_view request);

// Whether a component of `path` can be a short (8.3) name, which only the file system can expand.
bool MayHoldShortName(std::u16string_view path);

}  // namespace trovelle
