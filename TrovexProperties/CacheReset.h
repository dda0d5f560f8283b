// Emptying the cache of a running TrovexCache; never starts the server.
#pragma once

namespace trovelle::properties {

bool CacheServerRuns();
// Calls ResetCache on the running server's object; nothing happens when it does not run or
// cannot be reached.
void ResetRunningCache();

}  // namespace trovelle::properties
