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
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "BackgroundWork.h"
#include "DeviceEvents.h"
#include "UniqueHandle.h"

namespace trovelle {

// One completed read of a drive's watch.
struct ChangeBatch {
    wchar_t letter = 0;            // lower case
    std::wstring under;            // the watched folder below the root ("name\\name\\"), or empty
    bool lost = false;             // the read failed or overflowed: its changes are unknown
    std::vector<uint8_t> records;  // exactly the bytes the read returned
};

enum class WatchLoss { ArmFailed, VolumeChanged, DeviceRemoved };

// What a drive root is: a letter that comes to name another volume or folder opens another one.
struct RootIdentity {
    DWORD volume = 0;  // the volume's serial number
    uint64_t file = 0;
    bool operator==(const RootIdentity&) const = default;
};

// The system calls behind the watches; the server uses the system's own, a test arms, fails and
// completes reads itself.
class WatchSystem {
public:
    // Opens `root` ("x:\") for overlapped reads whose completions reach `port` under `key`, and
    // tells what it is; an empty handle when it cannot.
    virtual UniqueKernelHandle OpenRoot(const std::wstring& root, HANDLE port, ULONG_PTR key,
                                        RootIdentity& identity) = 0;
    // What `root` names now; false when it cannot be opened.
    virtual bool IdentityNow(const std::wstring& root, RootIdentity& identity) = 0;
    // Starts a read of the changes below the root into `buffer`; false when none started.
    virtual bool Read(HANDLE root, void* buffer, DWORD bytes, DWORD* returned,
                      OVERLAPPED* overlapped) = 0;
    // Cancels a started read; its completion still comes (or never, if the system keeps it).
    virtual void Cancel(HANDLE root, OVERLAPPED* overlapped) = 0;
    virtual bool IsFixed(const std::wstring& root) = 0;
    // Whether the folder holds no entry; false when it cannot be told.
    virtual bool IsEmptyFolder(const std::wstring& /*folder*/) { return false; }

    static WatchSystem& Real();

protected:
    ~WatchSystem() = default;
};

// Where a watcher's changes go.
class ChangeSink {
public:
    // Called for each completed read, in the order of the reads of that drive, never for two
    // batches of one drive at a time.
    virtual void OnChange(std::unique_ptr<ChangeBatch> batch) = 0;
    // The drive's watch ended: what was cached for it can no longer be trusted.
    virtual void OnWatchLost(wchar_t letter, WatchLoss why) = 0;

protected:
    ~ChangeSink() = default;
};

// A drive whose disk is about to be removed (or its volume locked) is let go: its watch and
// handle are closed at the system's query, and it is armed again only if the removal fails.
class DirectoryWatcher : private DeviceEventListener {
public:
    enum Mode { kStart = 0, kStop = 1 };

    static constexpr DWORD kBufferBytes = 64 * 1024;

    // `bufferBytes` per read and drive; a benchmark compares sizes, the server keeps the default.
    explicit DirectoryWatcher(ChangeSink& sink, DWORD bufferBytes = kBufferBytes,
                              WatchSystem& system = WatchSystem::Real());
    ~DirectoryWatcher();
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
    // time for the worker. Returns whether the watch is armed. Watches are armed only by this
    // call and by AddDirectory, never as a side effect of a query.
    bool EnsureWatched(wchar_t letter);

    // Keeps a watch of the server's own on the folder holding `folder` ("x:\\name\\name"), and
    // on `folder` itself unless several of its siblings have one already. Under Wine a subtree
    // watch another program arms on a folder nobody opened before gives that folder a place of
    // its own in Wine's watch tree, and when such a watch ends, Wine cuts the folders below it
    // off: either way their changes no longer reach the drive's watch. A watch of the server's
    // own on the folders clients show receives those changes and keeps the folders attached.
    // Such a watch ends with its drive's, or once its folder is empty after a removal (so that
    // a deleted folder is not held open). Windows needs none of this.
    void GuardFoldersOf(const std::wstring& folder);

    // Opens, and closes again, every folder above `folder` below its drive root. Wine's subtree
    // watch covers a folder only when each folder above it was opened after the watch began;
    // Windows needs none of this, and a few opens before a folder is first measured cost little.
    static void OpenFoldersAbove(const std::wstring& folder);

    // Stops the worker and waits for every batch thread: after it no change reaches the sink.
    void StopAndDrain();

    // One line per armed drive, "Watch d: <root handle>", and one per guarded folder,
    // "Guard <folder>", for the debug dump.
    std::string DescribeWatches() const;

private:
    struct WatchedRoot;
    struct Request;
    struct DriveState;

    static DWORD WINAPI WorkerMain(void* self);
    static DWORD DrainQueue(DriveState* drive);
    void RunWorker();
    void OnCompletion(WatchedRoot& root, BOOL ok, DWORD bytes);
    bool PostAndWait(Request* request);
    void OnDeviceEvent(DeviceEvent event, HANDLE directory) override;
    void ApplyDeviceEvent(DeviceEvent event, HANDLE directory);
    DriveState* DriveAbout(HANDLE directory, bool letGo);
    void LetGo(DriveState& drive);
    bool Arm(DriveState& drive);
    void Retire(DriveState& drive, WatchLoss why);
    bool GuardFolder(const std::wstring& folder, bool evenAmongManySiblings);
    void ArmGuard(const std::wstring& folder);
    void RetireGuard(WatchedRoot& guard);
    void RetireGuardsOf(DriveState& drive);
    bool EmptiedBy(const WatchedRoot& guard, const ChangeBatch& batch);
    void EnqueueLost(DriveState& drive, const std::wstring& under);
    void Maintain();
    void CancelEverything();
    void Enqueue(std::unique_ptr<ChangeBatch> batch);
    DriveState* StateOf(wchar_t letter) const;

    ChangeSink& sink_;
    WatchSystem& system_;
    std::array<std::unique_ptr<DriveState>, 26> drives_;
    std::list<std::unique_ptr<WatchedRoot>> roots_;  // live and retiring watches
    const DWORD bufferBytes_;
    UniqueKernelHandle port_;
    UniqueKernelHandle worker_;
    BackgroundWork batchThreads_;
    DeviceEventWindow devices_{*this};
    ULONGLONG nextCheck_ = 0;
    // Folded paths of the guarded folders, and how many guarded subfolders each folder has;
    // written by the worker, read by the asking threads.
    mutable SRWLOCK guardLock_ = SRWLOCK_INIT;
    std::unordered_set<std::wstring> guarded_;
    std::unordered_map<std::wstring, unsigned> guardedSubfolders_;
};

}  // namespace trovelle
