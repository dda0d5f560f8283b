#pragma once

#include <windows.h>

#include <string>

#include "cache/FolderCache.h"

namespace trovelle {

// Writes every cached folder (or, with bit 0 of `flags`, only those whose path is gone) to
// `file` as text, after a header of the cache's counters and the `watches` text when bit 1 is
// set; S_FALSE when the file cannot be created.
HRESULT WriteDebugDump(FolderCache& cache, const wchar_t* file, UINT flags,
                       const std::string& watches);

}  // namespace trovelle
