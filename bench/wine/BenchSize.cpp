// Prints how long TrovelleSize.exe takes for "--depth 1" of a folder of 1,000 subfolders, each a
// whole run of the program as a script starts it: warm (the cache knows every folder), cold (the
// cache emptied just before), summing the folders itself (--no-cache), and the program's start
// alone (--help) as the floor. A measuring program, not a test: no time makes it fail; it exits
// non-zero only when a run fails.
//
//   bench_size [folder]     (default D:\Bench1000Folders, made here when missing)
#include <windows.h>

#include <cstdio>
#include <string>

#include "BenchSupport.h"
#include "CacheServerConnection.h"
#include "ChildProcess.h"
#include "ComApartment.h"

namespace {

using namespace trovelle;

constexpr wchar_t kProgram[] = L"C:\\Program Files\\Trovelle Pro\\TrovelleSize.exe";
bool g_failed = false;

// One run, its output to files (never a pipe: a server COM starts for it could hold one open).
void RunSize(const std::wstring& arguments) {
    const test::ProgramOutput run = test::RunForOutput(kProgram, arguments, 120000);
    if (run.exitCode != 0) {
        std::printf("   a run of TrovelleSize %ls failed (exit code %lu)\n", arguments.c_str(), run.exitCode);
        g_failed = true;
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring folder = argc > 1 ? argv[1] : L"D:\\Bench1000Folders";
    const ComApartment apartment;
    // New folders are listed afresh for a while under Wine before their totals are kept.
    if (bench::MakeFolderOfFoldersOnce(folder)) ::Sleep(2500);
    HRESULT connected = E_FAIL;
    const auto cache = ConnectToCacheServer(&connected);
    if (!cache) {
        std::printf("cannot reach the cache server: 0x%08lX\n", static_cast<unsigned long>(connected));
        return 2;
    }
    const std::wstring depthOne = L"--depth 1 --bytes \"" + folder + L"\"";
    RunSize(depthOne);  // the server's first answers, and the program's files read once
    constexpr int kRounds = 7;
    // In turns, the warm run right after the cold one that filled the cache again.
    const std::vector<double> medians = bench::InterleavedMedians(kRounds, {
        [&] {
            cache->ResetCache();
            RunSize(depthOne);
        },
        [&] { RunSize(depthOne); },
        [&] { RunSize(L"--no-cache " + depthOne); },
        [&] { RunSize(L"--help"); },
    });
    const double cold = medians[0], warm = medians[1], summed = medians[2], start = medians[3];
    std::printf("TrovelleSize --depth 1 of %ls (1,000 subfolders), medians of %d runs each\n", folder.c_str(), kRounds);
    std::printf("  warm (cached)            %8.1f ms   %.2fx of cold\n", warm, warm / cold);
    std::printf("  cold (cache emptied)     %8.1f ms\n", cold);
    std::printf("  --no-cache (summed here) %8.1f ms   %.2fx of cold\n", summed, summed / cold);
    std::printf("  the program's start      %8.1f ms   (--help)\n", start);
    std::printf("  warm less the start      %8.1f ms, cold less the start %.1f ms: %.2fx\n", warm - start, cold - start,
                (warm - start) / (cold - start));
    cache->ReleaseServer();  // a server left running keeps the prefix's Wine session, and the next program, waiting
    return g_failed ? 1 : 0;
}
