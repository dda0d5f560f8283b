// How a program reaches the cache server: whether one runs, a connection (COM starts a server
// when none runs), and the two requests other programs make of a running one.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include "TrovexCache.h"

namespace trovelle {

// A server holds its instance mutex while it runs.
bool CacheServerRuns();

// The cache object; `result` (when given) gets the outcome.
Microsoft::WRL::ComPtr<ITrovelleCache> ConnectToCacheServer(HRESULT* result = nullptr);

// Empties a running server's cache; starts no server when none runs.
void ResetRunningCache();

// Has a running server give up its own reference, so that it ends after its last client;
// starts no server when none runs.
void ReleaseRunningServer();

}  // namespace trovelle
