#pragma once

#include <windows.h>

namespace trovelle {

class TrovelleCacheObject;

// Scans every fixed drive on threads of normal priority that yield before each listing (a
// thread at idle priority could be kept from running while it holds the cache lock) and, when
// asked, shows the splash window until the last of them is done. Returns at once.
HRESULT StartCachingAllDrives(TrovelleCacheObject& cache);

}  // namespace trovelle
