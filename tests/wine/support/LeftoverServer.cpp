#include "LeftoverServer.h"

#include <chrono>
#include <thread>

namespace trovelle::test {

void StopCacheServer() {
    using namespace std::chrono_literals;
    if (!CacheServerRuns()) return;
    ReleaseRunningServer();
    // The server ends about six seconds after its last client; give it ample room.
    for (int wait = 0; wait < 150 && CacheServerRuns(); ++wait) std::this_thread::sleep_for(100ms);
}

}  // namespace trovelle::test
