#include "LeftoverServer.h"

#include <chrono>

#include "Eventually.h"

namespace trovelle::test {

void StopCacheServer() {
    using namespace std::chrono_literals;
    if (!CacheServerRuns()) return;
    ReleaseRunningServer();
    // The server ends about six seconds after its last client; give it ample room.
    BecomesTrueWithin(15s, [] { return !CacheServerRuns(); }, 100ms);
}

}  // namespace trovelle::test
