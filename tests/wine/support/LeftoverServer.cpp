#include "LeftoverServer.h"

#include <tlhelp32.h>

#include <chrono>
#include <vector>

#include "Eventually.h"
#include "UniqueHandle.h"

namespace trovelle::test {
namespace {

// Every running process of the server's program. One that has given up serving may still be
// ending: its watches close only then.
std::vector<UniqueKernelHandle> ServerProcesses() {
    std::vector<UniqueKernelHandle> processes;
    const UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return processes;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
         more = ::Process32NextW(snapshot.Get(), &entry)) {
        if (::_wcsicmp(entry.szExeFile, L"TrovexCache.exe") != 0) continue;
        UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (process) processes.push_back(std::move(process));
    }
    return processes;
}

}  // namespace

void StopCacheServer() {
    using namespace std::chrono_literals;
    if (CacheServerRuns()) {
        ReleaseRunningServer();
        // The server ends about six seconds after its last client; give it ample room.
        BecomesTrueWithin(15s, [] { return !CacheServerRuns(); }, 100ms);
    }
    // Under Wine, a server that closes its drive watch while the next one watches the same
    // drive takes Wine's watches of the folders below with it: the next server would hear of
    // no change there. So no server of one test may overlap the next test's.
    for (const UniqueKernelHandle& process : ServerProcesses()) {
        ::WaitForSingleObject(process.Get(), 15000);
    }
}

}  // namespace trovelle::test
