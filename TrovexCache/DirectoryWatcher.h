// Watches drive roots for changes on one completion port; each completed read is handed to
// OnChange on a thread of its own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "BackgroundWork.h"
#include "UniqueHandle.h"

namespace trovelle {

class DirectoryWatcher {
public:
    enum Mode { kStart = 0, kStop = 1 };

    struct ChangeBatch {
        DirectoryWatcher* watcher = nullptr;
        size_t rootIndex = 0;
        bool lost = false;             // the read failed or overflowed: its changes are unknown
        std::vector<uint8_t> records;  // exactly the bytes the read returned
    };

    DirectoryWatcher() = default;
    virtual ~DirectoryWatcher();
    DirectoryWatcher(const DirectoryWatcher&) = delete;
    DirectoryWatcher& operator=(const DirectoryWatcher&) = delete;

    // Adds a root before watching starts; returns a Win32 error code, 0 on success.
    DWORD AddDirectory(const wchar_t* path);
    // kStart starts the worker and arms every root, kStop ends it; other modes: 87.
    DWORD Watch(int mode);
    const std::wstring& RootPath(size_t index) const { return roots_[index]->path; }

    // Opens, and closes again, every folder above `folder` below its drive root. Wine's subtree
    // watch covers a folder only when each folder above it was opened after the watch began;
    // Windows needs none of this, and a few opens before a folder is first measured cost little.
    static void OpenFoldersAbove(const std::wstring& folder);

protected:
    virtual void OnChange(std::unique_ptr<ChangeBatch> batch) = 0;
    // Stops the worker and waits for every batch thread; a derived destructor calls it first,
    // so that no OnChange runs on a half-destroyed object.
    void StopAndDrain();

private:
    static constexpr DWORD kBufferBytes = 4096;
    static constexpr DWORD kFilter =
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE;

    struct WatchedRoot {
        std::wstring path;
        UniqueKernelHandle directory;
        OVERLAPPED overlapped{};
        DWORD bytesReturned = 0;
        alignas(DWORD) uint8_t buffer[kBufferBytes];  // one buffer per root: reads never share
    };

    static DWORD WINAPI WorkerMain(void* self);
    static DWORD ApplyBatch(ChangeBatch* batch);
    void RunWorker();
    void Arm(WatchedRoot& root);

    std::vector<std::unique_ptr<WatchedRoot>> roots_;
    UniqueKernelHandle port_;
    UniqueKernelHandle worker_;
    BackgroundWork batchThreads_;
};

}  // namespace trovelle
