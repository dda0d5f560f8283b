#include "FolderWatch.h"

#include <set>

#include "FolderWorker.h"
#include "WideText.h"
#include "Win32FileSystem.h"
#include "changes/ChangeRecords.h"

namespace trovelle::browser {
namespace {

constexpr DWORD kBufferBytes = 64 * 1024;
constexpr DWORD kEmptyFolderLookMs = 1000;
constexpr DWORD kWatched = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                           FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

std::unique_ptr<FolderChanges> NamesIn(const uint8_t* batch, DWORD length, uint64_t generation) {
    auto changes = std::make_unique<FolderChanges>();
    changes->generation = generation;
    const std::vector<ChangeRecord> records = DecodeChangeRecords(batch, length);
    if (records.empty()) {
        changes->everything = true;  // an overflow, or bytes that cannot be trusted
        return changes;
    }
    std::set<std::wstring> names;
    for (const ChangeRecord& record : records) {
        const std::wstring path = ToWide(record.name);
        names.insert(path.substr(0, path.find(L'\\')));
    }
    changes->names.assign(names.begin(), names.end());
    return changes;
}

enum class WatchEnd { Stopped, Failed, Emptied };

// Whether the batch took an entry of the folder away and left it empty.
bool Emptied(const std::wstring& path, const uint8_t* batch, DWORD length) {
    return TakesAwayAnEntryOfItsOwn(batch, length) && IsEmptyFolder(path);
}

// Opened here rather than on the window's thread, which must never wait for a disk. An emptied
// folder is not held: under Wine a folder deleted while a handle is open on it stays until the
// handle is closed (Windows ends the watch instead).
WatchEnd WatchUntilEmptied(HWND window, const std::wstring& path, HANDLE stop, uint64_t generation) {
    const UniqueKernelHandle folder(::CreateFileW(
        path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    const UniqueKernelHandle completed(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!folder || !completed) return WatchEnd::Failed;  // the view stays, only without live updates
    std::vector<uint8_t> buffer(kBufferBytes);
    for (;;) {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = completed.Get();
        if (!::ReadDirectoryChangesW(folder.Get(), buffer.data(), kBufferBytes, TRUE, kWatched,
                                     nullptr, &overlapped, nullptr)) {
            return WatchEnd::Failed;  // the folder went away; the next listing will say so
        }
        const HANDLE waits[] = {completed.Get(), stop};
        const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        DWORD bytes = 0;
        if (woke != WAIT_OBJECT_0) {
            ::CancelIoEx(folder.Get(), &overlapped);
            ::GetOverlappedResult(folder.Get(), &overlapped, &bytes, TRUE);  // the buffer stays
            return WatchEnd::Stopped;                                          // until it ends
        }
        const bool read = ::GetOverlappedResult(folder.Get(), &overlapped, &bytes, FALSE);
        Post(window, kFolderChanged, NamesIn(buffer.data(), read ? bytes : 0, generation));
        if (!read) return WatchEnd::Failed;
        if (Emptied(path, buffer.data(), bytes)) return WatchEnd::Emptied;
    }
}

// Watches again once an emptied folder holds something, looking once a second meanwhile.
void WatchUntilStopped(HWND window, std::wstring path, HANDLE stop, uint64_t generation) {
    while (WatchUntilEmptied(window, path, stop, generation) == WatchEnd::Emptied) {
        do {
            if (::WaitForSingleObject(stop, kEmptyFolderLookMs) != WAIT_TIMEOUT) return;
        } while (IsEmptyFolder(path));
        auto changes = std::make_unique<FolderChanges>();
        changes->generation = generation;
        changes->everything = true;  // what came meanwhile was not watched
        Post(window, kFolderChanged, std::move(changes));
    }
}

}  // namespace

void FolderWatch::Watch(const std::wstring& folder, uint64_t generation) {
    Stop();
    stop_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stop_) return;
    thread_ = std::thread(WatchUntilStopped, window_, folder, stop_.Get(), generation);
}

void FolderWatch::Stop() {
    if (thread_.joinable()) {
        ::SetEvent(stop_.Get());
        thread_.join();
    }
    stop_.Reset();
}

}  // namespace trovelle::browser
