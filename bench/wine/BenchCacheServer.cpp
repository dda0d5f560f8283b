// Prints the cache server's figures under Wine, each next to a baseline measured in the same run.
// A measuring program, not a test: no time makes it fail; it exits non-zero only when an answer
// is wrong.
//
//   bench_cache_server [tree]     (default D:\Big20k, made by the test fixtures)
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "CacheSession.h"
#include "ComApartment.h"
#include "SafeVector.h"
#include "UniqueBstr.h"
#include "UniqueHandle.h"

namespace {

using namespace trovelle;
using namespace trovelle::test;
using bench::InterleavedMedians;
using bench::MedianMilliseconds;
using bench::WalkWithFindFirstFile;
using bench::WriteBytes;

bool g_wrongAnswer = false;

void Check(bool ok, const char* what) {
    if (!ok) {
        std::printf("   WRONG ANSWER: %s\n", what);
        g_wrongAnswer = true;
    }
}

// Folders the next request will list: those with either size marked stale in the dump.
int StaleFoldersInDump(ITrovelleCache& cache) {
    const wchar_t file[] = L"C:\\bench-dump.txt";
    cache.SaveDebugInfo(MakeBstr(file).get(), 0);
    std::ifstream in(file, std::ios::binary);
    int stale = 0;
    std::string line;
    std::string record;
    while (std::getline(in, line)) {
        if (line.empty()) {
            if (record.find("(1)") != std::string::npos) ++stale;
            record.clear();
        } else {
            record += line;
        }
    }
    ::DeleteFileW(file);
    return stale;
}

void ColdScan(ITrovelleCache& cache, const std::wstring& tree) {
    UINT64 answer = 0;
    UINT64 walked = 0;
    // In turns: this machine's speed drifts over a run, and a drift would favour one side.
    const std::vector<double> medians = InterleavedMedians(7, {
        [&] {
            cache.ResetCache();
            AskFolderSize(cache, tree.c_str(), &answer);
        },
        [&] { walked = WalkWithFindFirstFile(tree); },
    });
    const double server = medians[0];
    const double walk = medians[1];
    Check(answer == walked, "cold answer equals the plain walk");
    SYSTEM_INFO system;
    ::GetSystemInfo(&system);
    std::printf("cold GetFolderSize of %ls on %lu threads (one per core): %.1f ms; "
                "FindFirstFileW walk: %.1f ms; ratio %.2fx (target <= 0.7x)\n",
                tree.c_str(), system.dwNumberOfProcessors, server, walk, server / walk);
}

void WarmAnswers(ITrovelleCache& cache, const std::wstring& tree) {
    const int calls = 5000;
    UINT64 answer = 0;
    AskFolderSize(cache, tree.c_str(), &answer);
    const UniqueBstr path = MakeBstr(tree.c_str());
    UINT count = 0;
    const std::vector<double> medians = InterleavedMedians(5, {
        [&] {
            for (int call = 0; call < calls; ++call) cache.GetFolderSize(path.get(), &answer);
        },
        [&] {
            for (int call = 0; call < calls; ++call) cache.GetTypeInfoCount(&count);
        },
    });
    const double sizes = medians[0];
    const double trivial = medians[1];
    // Each answer asks the system for the drive's type first; its cost here, for the record.
    const std::wstring root = tree.substr(0, 3);
    const double driveTypes = MedianMilliseconds(3, [&] {
        for (int call = 0; call < calls; ++call) ::GetDriveTypeW(root.c_str());
    });
    std::printf("warm GetFolderSize: %.1f us per call; GetTypeInfoCount: %.1f us per call; "
                "ratio %.2fx (target <= 1.0x); one GetDriveTypeW: %.1f us\n",
                sizes * 1000 / calls, trivial * 1000 / calls, sizes / trivial,
                driveTypes * 1000 / calls);

    // One call for a parent's subfolders, as a column asks it, per folder answered.
    Microsoft::WRL::ComPtr<ITrovelleCacheBatch> batch;
    if (FAILED(cache.QueryInterface(IID_PPV_ARGS(&batch)))) return;
    const UniqueBstr parent = MakeBstr((tree + L"\\a0").c_str());
    const UniqueBstr first = MakeBstr((tree + L"\\a0\\b0").c_str());
    size_t answered = 0;
    const int batches = calls / 10;
    const double shared = MedianMilliseconds(3, [&] {
        for (int call = 0; call < batches; ++call) {
            SAFEARRAY* names = nullptr;
            SAFEARRAY* totals = nullptr;
            batch->GetSubfolderSizes(parent.get(), first.get(), &answer, &names, &totals);
            const UniqueSafeArray ownedNames(names);
            const UniqueSafeArray ownedTotals(totals);
            answered = SafeVectorAccess<UINT64, VT_UI8>(totals).size();
        }
    });
    const double perFolder = answered == 0 ? 0 : shared * 1000 / batches / answered;
    std::printf("warm GetSubfolderSizes of %zu subfolders: %.1f us per call, %.2f us per folder; "
                "per folder against GetTypeInfoCount: %.3fx (target <= 1.0x)\n",
                answered, shared * 1000 / batches, perFolder, perFolder / (trivial * 1000 / calls));
}

void ChangeAtDepthFive(ITrovelleCache& cache) {
    const std::wstring root = L"D:\\BenchDepth";
    std::wstring folder = root;
    ::CreateDirectoryW(root.c_str(), nullptr);
    for (int level = 1; level <= 5; ++level) {
        WriteBytes(folder + L"\\side" + std::to_wstring(level) + L".txt", 10);
        ::CreateDirectoryW((folder + L"\\Other").c_str(), nullptr);  // a sibling never listed again
        WriteBytes(folder + L"\\Other\\o.txt", 20);
        folder += L"\\L" + std::to_wstring(level);
        ::CreateDirectoryW(folder.c_str(), nullptr);
    }
    const std::wstring file = folder + L"\\deep.txt";
    WriteBytes(file, 100);
    UINT64 answer = 0;
    // Under Wine new folders settle for two seconds before their totals are stored as final
    // (their own watches may miss what is made in them at once); ask until they have.
    const ULONGLONG made = ::GetTickCount64();
    do {
        AskFolderSize(cache, root.c_str(), &answer);
    } while (StaleFoldersInDump(cache) != 0 && ::GetTickCount64() - made < 10000 && (::Sleep(100), true));
    std::printf("a new tree of 5 levels was final after %.1f s\n", (::GetTickCount64() - made) / 1000.0);
    Check(StaleFoldersInDump(cache) == 0, "a fresh tree has no stale folder once settled");

    WriteBytes(file, 5000);
    int stale = 0;
    for (int wait = 0; wait < 100 && stale == 0; ++wait) {
        ::Sleep(50);
        stale = StaleFoldersInDump(cache);
    }
    AskFolderSize(cache, root.c_str(), &answer);
    Check(answer == FreshSum(root), "the answer after the change equals a fresh sum");
    std::printf("change of one file at depth 5: the next request lists %d folders (target 6)\n",
                stale);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring tree = argc > 1 ? argv[1] : L"D:\\Big20k";
    ComApartment apartment;
    HRESULT connected = E_FAIL;
    auto cache = ConnectToCacheServer(&connected);
    if (!cache) {
        std::printf("cannot reach the cache server: 0x%08lX\n", static_cast<unsigned long>(connected));
        return 2;
    }
    ColdScan(*cache.Get(), tree);
    WarmAnswers(*cache.Get(), tree);
    ChangeAtDepthFive(*cache.Get());
    cache->ReleaseServer();
    return g_wrongAnswer ? 1 : 0;
}
