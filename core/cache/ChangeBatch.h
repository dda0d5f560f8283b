// A completed read of a directory watch, applied to the cache.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "cache/FolderCache.h"

namespace trovelle {

// Applies one completed read of the watch on `root` ("x:\\", or a folder with a trailing
// separator) to the cache. A batch that carries no usable record (a failed or overflowed read,
// or malformed bytes) stands for changes that are unknown, so every cached folder at or below
// the watched one is made stale instead.
void ApplyChangeBatch(FolderCache& cache, const std::u16string& root, const uint8_t* batch,
                      size_t length);

}  // namespace trovelle
