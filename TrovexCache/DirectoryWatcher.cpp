#include "DirectoryWatcher.h"

#include <new>

#include "Win32FileSystem.h"

namespace trovelle {

DirectoryWatcher::~DirectoryWatcher() {
    StopAndDrain();
    port_.Reset();
    roots_.clear();  // closes every directory handle
}

DWORD DirectoryWatcher::AddDirectory(const wchar_t* path) {
    if (path == nullptr) return ERROR_INVALID_PARAMETER;
    auto root = std::unique_ptr<WatchedRoot>(new (std::nothrow) WatchedRoot());
    if (!root) return ERROR_OUTOFMEMORY;
    root->path = path;
    root->directory.Reset(::CreateFileW(path, FILE_LIST_DIRECTORY,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    if (!root->directory) return ::GetLastError();
    HANDLE port = ::CreateIoCompletionPort(root->directory.Get(), port_.Get(),
                                           static_cast<ULONG_PTR>(roots_.size() + 1), 0);
    if (port == nullptr) return ::GetLastError();
    if (!port_) port_.Reset(port);
    roots_.push_back(std::move(root));
    return 0;
}

DWORD DirectoryWatcher::Watch(int mode) {
    switch (mode) {
        case kStart:
            if (!port_ || worker_) return 0;
            worker_.Reset(::CreateThread(nullptr, 0, &WorkerMain, this, 0, nullptr));
            for (auto& root : roots_) Arm(*root);
            return 0;
        case kStop:
            if (worker_) {
                ::PostQueuedCompletionStatus(port_.Get(), 0, 0, nullptr);
                ::WaitForSingleObject(worker_.Get(), 10000);
                worker_.Reset();
            }
            return 0;
        default:
            return ERROR_INVALID_PARAMETER;
    }
}

void DirectoryWatcher::OpenFoldersAbove(const std::wstring& folder) {
    if (folder.size() < 4 || folder[1] != L':') return;
    for (size_t cut = folder.find_first_of(L"\\/", 3); cut != std::wstring::npos;
         cut = folder.find_first_of(L"\\/", cut + 1)) {
        UniqueKernelHandle opened(::CreateFileW(
            LongPathForm(folder.substr(0, cut)).c_str(), FILE_LIST_DIRECTORY,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    }
}

void DirectoryWatcher::StopAndDrain() {
    Watch(kStop);
    batchThreads_.WaitUntilIdle();
}

void DirectoryWatcher::Arm(WatchedRoot& root) {
    root.overlapped = OVERLAPPED{};
    ::ReadDirectoryChangesW(root.directory.Get(), root.buffer, kBufferBytes, TRUE, kFilter,
                            &root.bytesReturned, &root.overlapped, nullptr);
}

DWORD WINAPI DirectoryWatcher::WorkerMain(void* self) {
    static_cast<DirectoryWatcher*>(self)->RunWorker();
    return 0;
}

DWORD DirectoryWatcher::ApplyBatch(ChangeBatch* batch) {
    DirectoryWatcher* watcher = batch->watcher;
    watcher->OnChange(std::unique_ptr<ChangeBatch>(batch));
    return 0;
}

void DirectoryWatcher::RunWorker() {
    for (;;) {
        DWORD bytes = 0;
        ULONG_PTR key = 0;
        OVERLAPPED* overlapped = nullptr;
        const BOOL ok = ::GetQueuedCompletionStatus(port_.Get(), &bytes, &key, &overlapped, INFINITE);
        if (key == 0 || (!ok && overlapped == nullptr)) return;  // stop packet, or the port is gone
        const size_t index = key - 1;
        if (index >= roots_.size()) continue;
        WatchedRoot& root = *roots_[index];

        // Copy before re-arming, so the next notification cannot overwrite these records.
        // A failed or empty completion means the system dropped the changes.
        auto batch = std::unique_ptr<ChangeBatch>(new (std::nothrow) ChangeBatch());
        if (batch) {
            batch->watcher = this;
            batch->rootIndex = index;
            batch->lost = !ok || bytes == 0 || bytes > kBufferBytes;
            if (!batch->lost) batch->records.assign(root.buffer, root.buffer + bytes);
        }
        Arm(root);
        if (!batch) continue;  // no memory for the copy: skipped, nothing is touched
        if (StartTrackedThread(batchThreads_, &ApplyBatch, batch.get())) {
            batch.release();
        } else {
            OnChange(std::move(batch));  // no thread to spare: apply it here rather than lose it
        }
    }
}

}  // namespace trovelle
