#include "LeftoverServer.h"

#include <tlhelp32.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "Eventually.h"
#include "UniqueHandle.h"

namespace trovelle::test {

void StopCacheServer() {
    using namespace std::chrono_literals;
    bool stuck = false;
    if (CacheServerRuns()) {
        ReleaseRunningServer();
        // The server ends about six seconds after its last client; give it ample room.
        stuck = !BecomesTrueWithin(15s, [] { return !CacheServerRuns(); }, 100ms);
    }
    // Under Wine, a server that closes its drive watch while the next one watches the same
    // drive takes Wine's watches of the folders below with it: the next server would hear of
    // no change there. So no server of one test may overlap the next test's.
    for (const DWORD id : CacheServerProcessIds()) {
        const UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
        if (!process) continue;
        if (!stuck && ::WaitForSingleObject(process.Get(), 15000) == WAIT_OBJECT_0) continue;
        // Still serving references nobody will release: Wine never runs down what a departed
        // client left behind, as Windows' COM does after some minutes. Every later test of
        // this prefix would wait for it in turn.
        std::printf("a cache server still runs 15 s after its release: ended\n");
        ::TerminateProcess(process.Get(), 1);
        ::WaitForSingleObject(process.Get(), 5000);
    }
}

std::vector<DWORD> CacheServerProcessIds() {
    std::vector<DWORD> ids;
    const UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
         more = ::Process32NextW(snapshot.Get(), &entry)) {
        if (::_wcsicmp(entry.szExeFile, L"TrovexCache.exe") == 0) ids.push_back(entry.th32ProcessID);
    }
    return ids;
}

}  // namespace trovelle::test
