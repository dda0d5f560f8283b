// How a program reaches the cache server: whether one runs, a connection (COM starts a server
// when none runs), and the two requests other programs make of a running one.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include "TrovexCache.h"

namespace trovelle {

// A server holds its instance mutex while it runs.
bool CacheServerRuns();

// Whether a failed call says that the server (or its object) has gone away, not that the
// request was bad: a new connection will be answered.
bool CacheServerHasGone(HRESULT hr);

// Creates the cache object. A failed creation (a server winding down refuses it) is made once
// more: by then a new server, or the old one with its shutdown cancelled, answers.
HRESULT CreateCacheObject(Microsoft::WRL::ComPtr<ITrovelleCache>& cache);

// The cache object; `result` (when given) gets the outcome.
Microsoft::WRL::ComPtr<ITrovelleCache> ConnectToCacheServer(HRESULT* result = nullptr);

// Empties a running server's cache; starts no server when none runs or one is winding down
// (a single attempt).
void ResetRunningCache();

// Has a running server give up its own reference, so that it ends after its last client;
// starts no server when none runs.
void ReleaseRunningServer();

}  // namespace trovelle
