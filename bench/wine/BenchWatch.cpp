// How many changes per second one drive watch takes in without overflowing, with the 4 KiB
// read buffer of the first design and the 64 KiB buffer the server uses now. Each round makes
// a burst of file changes on D: as fast as it can (create, grow, delete), then waits until the
// watch is quiet and counts the records that arrived and the reads that overflowed.
// A measuring program, not a test.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>

#include "BenchSupport.h"
#include "DirectoryWatcher.h"
#include "changes/ChangeRecords.h"

namespace trovelle::bench {
namespace {

using Clock = std::chrono::steady_clock;

class CountingSink final : public ChangeSink {
public:
    std::atomic<long> records{0};
    std::atomic<long> overflows{0};
    std::atomic<long> batches{0};
    std::atomic<bool> armed{true};

    void OnChange(std::unique_ptr<ChangeBatch> batch) override {
        ++batches;
        if (batch->lost) {
            ++overflows;
            return;
        }
        const auto decoded = DecodeChangeRecords(batch->records.data(), batch->records.size());
        if (decoded.empty()) ++overflows;
        records += static_cast<long>(decoded.size());
    }
    void OnWatchLost(wchar_t, WatchLoss) override { armed = false; }
};

struct Burst {
    long changes = 0;  // operations made, each reported as one or two records
    double seconds = 0;
    long records = 0;
    long overflows = 0;
};

Burst RunBurst(DWORD bufferBytes, int files) {
    const std::wstring folder = L"D:\\BenchWatch";
    CountingSink counts;
    DirectoryWatcher watcher(counts, bufferBytes);
    watcher.AddDirectory(L"d:\\");
    watcher.Watch(DirectoryWatcher::kStart);
    while (!watcher.IsArmed(L'd')) ::Sleep(10);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    // Wine's subtree watch covers a folder only once it was opened after the watch began.
    DirectoryWatcher::OpenFoldersAbove(folder + L"\\file");
    ::Sleep(300);
    const long before = counts.records;

    Burst burst;
    const auto start = Clock::now();
    for (int file = 0; file < files; ++file) {
        const std::wstring path = folder + L"\\b" + std::to_wstring(file);
        WriteBytes(path, 100);                    // added (and modified)
        if (file % 2 == 0) ::DeleteFileW(path.c_str());  // removed
        burst.changes += file % 2 == 0 ? 2 : 1;
    }
    burst.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    // Quiet: no new batch for half a second.
    for (long seen = -1; seen != counts.batches;) {
        seen = counts.batches;
        ::Sleep(500);
    }
    burst.records = counts.records - before;
    burst.overflows = counts.overflows;
    for (int file = 1; file < files; file += 2) {
        ::DeleteFileW((folder + L"\\b" + std::to_wstring(file)).c_str());
    }
    return burst;
}

}  // namespace
}  // namespace trovelle::bench

int wmain() {
    using namespace trovelle::bench;
    std::printf("One watch on D:\\, bursts of file creates, writes and deletes made as fast as\n"
                "this process can, then counted once quiet (records include the writes).\n");
    for (const int files : {2000, 6000}) {
        for (const DWORD buffer : {DWORD{4096}, trovelle::DirectoryWatcher::kBufferBytes}) {
            const Burst burst = RunBurst(buffer, files);
            std::printf("   %5lu-byte buffer, %5d files: %6ld changes in %5.2f s (%7.0f/s), "
                        "%6ld records, %3ld overflows\n",
                        static_cast<unsigned long>(buffer), files, burst.changes, burst.seconds,
                        burst.changes / burst.seconds, burst.records, burst.overflows);
        }
    }
    return 0;
}
