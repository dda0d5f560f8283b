// Watches drive roots for changes on one completion port and one worker thread. Completed reads
// are handed to OnChange in order, one thread per drive at a time. A drive whose watch cannot be
// (re)armed, or whose letter comes to name another volume, is reported lost and armed again
// with a back-off.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "BackgroundWork.h"
#include "UniqueHandle.h"

namespace trovelle {

class DirectoryWatcher {
public:
    enum Mode { kStart = 0, kStop = 1 };
    enum class Loss { ArmFailed, VolumeChanged };

    struct ChangeBatch {
        DirectoryWatcher* watcher = nullptr;
        wchar_t letter = 0;            // lower case
        bool lost = false;             // the read failed or overflowed: its changes are unknown
        std::vector<uint8_t> records;  // exactly the bytes the read returned
    };

    static constexpr DWORD kBufferBytes = 64 * 1024;

    // `bufferBytes` per read and drive; a benchmark compares sizes, the server keeps the default.
    explicit DirectoryWatcher(DWORD bufferBytes = kBufferBytes);
    virtual ~DirectoryWatcher();
    DirectoryWatcher(const DirectoryWatcher&) = delete;
    DirectoryWatcher& operator=(const DirectoryWatcher&) = delete;

    // Adds the root "x:\" of a drive to watch; before or after watching starts. Returns a Win32
    // error code, 0 on success (the watch itself is armed by the worker).
    DWORD AddDirectory(const wchar_t* path);
    // kStart starts the worker and arms every root, kStop ends it; other modes: 87.
    DWORD Watch(int mode);

    // Whether the drive's watch is armed now; costs no system call.
    bool IsArmed(wchar_t letter) const;
    // Arms the drive's watch when it is not armed and its back-off allows a try; waits a bounded
    // time for the worker. Returns whether the watch is armed.
    bool EnsureWatched(wchar_t letter);

    // Opens, and closes again, every folder above `folder` below its drive root. Wine's subtree
    // watch covers a folder only when each folder above it was opened after the watch began;
    // Windows needs none of this, and a few opens before a folder is first measured cost little.
    static void OpenFoldersAbove(const std::wstring& folder);

protected:
    // Called for each completed read, in the order of the reads of that drive, never for two
    // batches of one drive at a time.
    virtual void OnChange(std::unique_ptr<ChangeBatch> batch) = 0;
    // The drive's watch ended: what was cached for it can no longer be trusted.
    virtual void OnWatchLost(wchar_t letter, Loss why) = 0;
    // Stops the worker and waits for every batch thread; a derived destructor calls it first,
    // so that no OnChange runs on a half-destroyed object.
    void StopAndDrain();

private:
    struct WatchedRoot;
    struct ArmRequest;
    struct DriveState;

    static DWORD WINAPI WorkerMain(void* self);
    static DWORD DrainQueue(DriveState* drive);
    void RunWorker();
    void OnCompletion(WatchedRoot& root, BOOL ok, DWORD bytes);
    bool Arm(DriveState& drive);
    void Retire(DriveState& drive, Loss why);
    void Maintain();
    void CancelEverything();
    void Enqueue(std::unique_ptr<ChangeBatch> batch);
    DriveState* StateOf(wchar_t letter) const;

    std::array<std::unique_ptr<DriveState>, 26> drives_;
    std::list<std::unique_ptr<WatchedRoot>> roots_;  // live and retiring watches
    const DWORD bufferBytes_;
    UniqueKernelHandle port_;
    UniqueKernelHandle worker_;
    BackgroundWork batchThreads_;
    ULONGLONG nextCheck_ = 0;
};

}  // namespace trovelle
