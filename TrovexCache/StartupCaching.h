#pragma once

#include <windows.h>

namespace trovelle {

class TrovelleCacheObject;

// Scans every fixed drive on idle-priority threads and, when asked, shows the splash window
// until the last of them is done. Returns at once.
HRESULT StartCachingAllDrives(TrovelleCacheObject& cache);

}  // namespace trovelle
