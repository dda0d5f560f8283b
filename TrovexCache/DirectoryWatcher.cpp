#include "DirectoryWatcher.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string_view>

#include "changes/ChangeRecords.h"
#include "index/FolderKey.h"
#include "WideText.h"
#include "Win32FileSystem.h"

namespace trovelle {
namespace {

constexpr ULONG_PTR kStopKey = 0;
constexpr ULONG_PTR kRequestKey = 1;
constexpr DWORD kFilter =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE;
constexpr DWORD kTickMs = 1000;            // how often the worker looks after its drives
constexpr DWORD kFirstRetryMs = 1000;      // back-off after a failed arm, doubled up to the cap
constexpr DWORD kLongestRetryMs = 60000;
constexpr DWORD kRequestWaitMs = 2000;     // how long an arm or a device event waits for the worker
constexpr DWORD kCancelWaitMs = 5000;      // how long teardown waits for cancelled reads
// A guard's records mostly repeat the drive watch's; a read that overflows only makes its
// folder stale.
constexpr DWORD kGuardBufferBytes = 4096;
constexpr size_t kMostGuards = 1024;
// Beyond this many guarded subfolders of one folder, the others are taken for the cells of a
// shown folder rather than folders shown themselves, and only their folder is guarded.
constexpr unsigned kGuardedSiblings = 3;

// Guards are told apart as the cache tells folders apart.
std::wstring Folded(const std::wstring& path) { return ToWide(FoldedKey(ToCore(path))); }

std::wstring FolderAbove(const std::wstring& key) { return key.substr(0, key.rfind(L'\\')); }

bool IdentityOf(HANDLE handle, RootIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info)) return false;
    identity = {info.dwVolumeSerialNumber, (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
    return true;
}

UniqueKernelHandle OpenFolder(const std::wstring& path, DWORD flags) {
    return UniqueKernelHandle(::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING,
                                            FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
}

class SystemWatchCalls final : public WatchSystem {
public:
    UniqueKernelHandle OpenRoot(const std::wstring& root, HANDLE port, ULONG_PTR key,
                                RootIdentity& identity) override {
        UniqueKernelHandle directory = OpenFolder(root, FILE_FLAG_OVERLAPPED);
        if (!directory || !IdentityOf(directory.Get(), identity) ||
            ::CreateIoCompletionPort(directory.Get(), port, key, 0) == nullptr) {
            return {};
        }
        return directory;
    }
    bool IdentityNow(const std::wstring& root, RootIdentity& identity) override {
        const UniqueKernelHandle directory = OpenFolder(root, 0);
        return directory && IdentityOf(directory.Get(), identity);
    }
    bool Read(HANDLE root, void* buffer, DWORD bytes, DWORD* returned,
              OVERLAPPED* overlapped) override {
        return ::ReadDirectoryChangesW(root, buffer, bytes, TRUE, kFilter, returned, overlapped,
                                       nullptr) != FALSE;
    }
    void Cancel(HANDLE root, OVERLAPPED* overlapped) override { ::CancelIoEx(root, overlapped); }
    bool IsFixed(const std::wstring& root) override {
        return !root.empty() && DriveTypeOf(root[0]) == DriveType::Fixed;
    }
    bool IsEmptyFolder(const std::wstring& folder) override {
        return trovelle::IsEmptyFolder(folder);
    }
};

}  // namespace

WatchSystem& WatchSystem::Real() {
    static SystemWatchCalls calls;
    return calls;
}

// One armed (or retiring) read of a drive root. Its address is the completion key, so that a
// late completion of a retired watch can never be taken for the drive's new one.
struct DirectoryWatcher::WatchedRoot {
    DriveState* drive = nullptr;
    UniqueKernelHandle directory;
    OVERLAPPED overlapped{};
    DWORD bytesReturned = 0;
    std::vector<DWORD> buffer;
    DWORD bufferBytes = 0;
    // For a guard: its folder ("x:\\name\\name") and that folder below the root, with a
    // trailing separator. Empty for a drive's own watch.
    std::wstring guardPath;
    std::wstring under;
    bool pending = false;  // a read is outstanding: the buffer belongs to the system
    bool retired = false;  // freed as soon as nothing is pending
    UniqueDeviceNotification notification;  // the volume's removal events
};

// A client's wish to have a drive armed, or a device event; shared by the asking thread and
// the worker.
struct DirectoryWatcher::Request {
    wchar_t letter = 0;  // the drive to arm
    std::wstring guard;  // or a folder of it to guard
    bool device = false;  // a device event about `directory` instead
    DeviceEvent event = DeviceEvent::Removed;
    HANDLE directory = nullptr;
    UniqueKernelHandle done;
    LONG references = 1;
    void Release() {
        if (::InterlockedDecrement(&references) == 0) delete this;
    }
};

struct DirectoryWatcher::DriveState {
    DirectoryWatcher* watcher = nullptr;
    wchar_t letter = 0;
    std::wstring path;  // "x:\"
    std::atomic<bool> armed{false};
    std::atomic<ULONGLONG> retryAt{0};
    // Touched by the worker only.
    bool wanted = false;
    DWORD backoff = 0;
    WatchedRoot* root = nullptr;
    RootIdentity identity;
    // Let go for a removal: nothing is armed until the system says how it ended; the events
    // still name the closed handle, whose registration is kept until then.
    bool suspended = false;
    HANDLE letGoHandle = nullptr;
    UniqueDeviceNotification letGoNotification;
    std::atomic<HANDLE> watchedHandle{nullptr};  // for the debug dump
    // Batches waiting to be applied in order, and whether a thread is applying them.
    SRWLOCK queueLock = SRWLOCK_INIT;
    std::deque<std::unique_ptr<ChangeBatch>> queue;
    bool draining = false;
};

DirectoryWatcher::DirectoryWatcher(ChangeSink& sink, DWORD bufferBytes, WatchSystem& system)
    : sink_(sink), system_(system), bufferBytes_(bufferBytes) {
    port_.Reset(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    for (size_t index = 0; index < drives_.size(); ++index) {
        auto drive = std::make_unique<DriveState>();
        drive->watcher = this;
        drive->letter = static_cast<wchar_t>(L'a' + index);
        drive->path = DriveRoot(drive->letter);
        drives_[index] = std::move(drive);
    }
}

DirectoryWatcher::~DirectoryWatcher() {
    StopAndDrain();
    roots_.clear();  // only roots with no read outstanding are left
}

DirectoryWatcher::DriveState* DirectoryWatcher::StateOf(wchar_t letter) const {
    const wchar_t lower = (letter >= L'A' && letter <= L'Z') ? letter + (L'a' - L'A') : letter;
    if (lower < L'a' || lower > L'z') return nullptr;
    return drives_[lower - L'a'].get();
}

DWORD DirectoryWatcher::AddDirectory(const wchar_t* path) {
    if (path == nullptr || path[0] == L'\0' || path[1] != L':') return ERROR_INVALID_PARAMETER;
    if (StateOf(path[0]) == nullptr) return ERROR_INVALID_PARAMETER;
    if (!port_) return ERROR_INVALID_HANDLE;
    auto* request = new (std::nothrow) Request();
    if (request == nullptr) return ERROR_OUTOFMEMORY;
    request->letter = path[0];
    if (!::PostQueuedCompletionStatus(port_.Get(), 0, kRequestKey,
                                      reinterpret_cast<OVERLAPPED*>(request))) {
        const DWORD error = ::GetLastError();
        request->Release();
        return error;
    }
    return 0;
}

DWORD DirectoryWatcher::Watch(int mode) {
    switch (mode) {
        case kStart:
            if (!port_ || worker_) return 0;
            devices_.Start();  // without it a removable disk stays held, nothing worse
            worker_.Reset(::CreateThread(nullptr, 0, &WorkerMain, this, 0, nullptr));
            return 0;
        case kStop:
            devices_.Stop();
            if (worker_) {
                // The worker cancels its reads and waits a bounded time for them before it ends,
                // so this wait ends too; freeing the buffers before then would be unsafe.
                ::PostQueuedCompletionStatus(port_.Get(), 0, kStopKey, nullptr);
                ::WaitForSingleObject(worker_.Get(), INFINITE);
                worker_.Reset();
            }
            return 0;
        default:
            return ERROR_INVALID_PARAMETER;
    }
}

bool DirectoryWatcher::IsArmed(wchar_t letter) const {
    const DriveState* drive = StateOf(letter);
    return drive != nullptr && drive->armed.load(std::memory_order_acquire);
}

bool DirectoryWatcher::EnsureWatched(wchar_t letter) {
    DriveState* drive = StateOf(letter);
    if (drive == nullptr) return false;
    if (drive->armed) return true;
    if (!worker_ || ::GetTickCount64() < drive->retryAt) return false;
    auto* request = new (std::nothrow) Request();
    if (request == nullptr) return false;
    request->letter = letter;
    return PostAndWait(request) && drive->armed;
}

bool DirectoryWatcher::PostAndWait(Request* request) {
    request->done.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    request->references = 2;
    if (!request->done ||
        !::PostQueuedCompletionStatus(port_.Get(), 0, kRequestKey,
                                      reinterpret_cast<OVERLAPPED*>(request))) {
        request->references = 1;
        request->Release();
        return false;
    }
    ::WaitForSingleObject(request->done.Get(), kRequestWaitMs);
    request->Release();
    return true;
}

void DirectoryWatcher::OnDeviceEvent(DeviceEvent event, HANDLE directory) {
    if (!worker_) return;
    auto* request = new (std::nothrow) Request();
    if (request == nullptr) return;
    request->device = true;
    request->event = event;
    request->directory = directory;
    PostAndWait(request);  // a query to remove is answered once the handle is closed
}

std::string DirectoryWatcher::DescribeWatches() const {
    std::string text;
    for (const auto& drive : drives_) {
        const HANDLE handle = drive->watchedHandle.load();
        if (handle == nullptr) continue;
        char line[64];
        std::snprintf(line, sizeof line, "Watch %c: %p\n", static_cast<char>(drive->letter), handle);
        text += line;
    }
    ::AcquireSRWLockShared(&guardLock_);
    for (const std::wstring& folder : guarded_) text += "Guard " + ToUtf8(folder) + "\n";
    ::ReleaseSRWLockShared(&guardLock_);
    return text;
}

void DirectoryWatcher::OpenFoldersAbove(const std::wstring& folder) {
    if (folder.size() < 4 || folder[1] != L':') return;
    // Each folder is opened exactly as named; one that cannot be opened has nothing below it to
    // open, so a long request costs the depth that exists, not its length.
    const std::wstring exact = LongPathForm(folder);
    const size_t start = exact.size() - folder.size();
    for (size_t cut = folder.find(L'\\', 3); cut != std::wstring::npos; cut = folder.find(L'\\', cut + 1)) {
        if (!OpenFolder(exact.substr(0, start + cut), 0)) return;
    }
}

void DirectoryWatcher::StopAndDrain() {
    Watch(kStop);
    batchThreads_.WaitUntilIdle();
}

DWORD WINAPI DirectoryWatcher::WorkerMain(void* self) {
    static_cast<DirectoryWatcher*>(self)->RunWorker();
    return 0;
}

// Every read is issued on this thread, which lives as long as the watches, so no read is ever
// tied to a thread that ends before it.
void DirectoryWatcher::RunWorker() {
    for (;;) {
        DWORD bytes = 0;
        ULONG_PTR key = 0;
        OVERLAPPED* overlapped = nullptr;
        const BOOL ok = ::GetQueuedCompletionStatus(port_.Get(), &bytes, &key, &overlapped, kTickMs);
        if (!ok && overlapped == nullptr) {
            if (::GetLastError() != WAIT_TIMEOUT) return;  // the port is gone
        } else if (key == kStopKey) {
            CancelEverything();
            return;
        } else if (key == kRequestKey) {
            auto* request = reinterpret_cast<Request*>(overlapped);
            if (request->device) {
                ApplyDeviceEvent(request->event, request->directory);
            } else if (!request->guard.empty()) {
                ArmGuard(request->guard);
            } else if (DriveState* drive = StateOf(request->letter)) {
                drive->wanted = true;
                // Requests queued while a try failed must not each try again at once.
                if (!drive->armed && !drive->suspended && ::GetTickCount64() >= drive->retryAt) {
                    Arm(*drive);
                }
            }
            if (request->done) ::SetEvent(request->done.Get());
            request->Release();
        } else {
            OnCompletion(*reinterpret_cast<WatchedRoot*>(key), ok, bytes);
        }
        if (::GetTickCount64() >= nextCheck_) Maintain();
    }
}

bool DirectoryWatcher::Arm(DriveState& drive) {
    auto root = std::make_unique<WatchedRoot>();
    root->drive = &drive;
    root->bufferBytes = bufferBytes_;
    root->buffer.resize((bufferBytes_ + sizeof(DWORD) - 1) / sizeof(DWORD));
    root->directory = system_.OpenRoot(drive.path, port_.Get(),
                                       reinterpret_cast<ULONG_PTR>(root.get()), drive.identity);
    const bool armed = root->directory &&
                       system_.Read(root->directory.Get(), root->buffer.data(), bufferBytes_,
                                    &root->bytesReturned, &root->overlapped);
    if (!armed) {
        drive.backoff = std::clamp<DWORD>(drive.backoff * 2, kFirstRetryMs, kLongestRetryMs);
        drive.retryAt = ::GetTickCount64() + drive.backoff;
        sink_.OnWatchLost(drive.letter, WatchLoss::ArmFailed);
        return false;
    }
    root->pending = true;
    root->notification = devices_.Register(root->directory.Get());
    drive.watchedHandle = root->directory.Get();
    drive.root = root.get();
    roots_.push_back(std::move(root));
    drive.backoff = 0;
    drive.armed.store(true, std::memory_order_release);
    return true;
}

void DirectoryWatcher::Retire(DriveState& drive, WatchLoss why) {
    RetireGuardsOf(drive);
    drive.armed = false;
    drive.watchedHandle = nullptr;
    if (WatchedRoot* root = std::exchange(drive.root, nullptr)) {
        root->retired = true;
        if (root->pending) {
            system_.Cancel(root->directory.Get(), &root->overlapped);  // its completion frees it
        } else {
            roots_.remove_if([root](const auto& candidate) { return candidate.get() == root; });
        }
    }
    sink_.OnWatchLost(drive.letter, why);
}

void DirectoryWatcher::OnCompletion(WatchedRoot& root, BOOL ok, DWORD bytes) {
    root.pending = false;
    if (root.retired) {
        roots_.remove_if([&root](const auto& candidate) { return candidate.get() == &root; });
        return;
    }
    DriveState& drive = *root.drive;
    // Copy before re-arming, so the next notification cannot overwrite these records.
    // A failed or empty completion means the system dropped the changes.
    auto batch = std::unique_ptr<ChangeBatch>(new (std::nothrow) ChangeBatch());
    if (batch) {
        batch->letter = drive.letter;
        batch->under = root.under;
        batch->lost = !ok || bytes == 0 || bytes > root.bufferBytes;
        if (!batch->lost) {
            const auto* first = reinterpret_cast<const uint8_t*>(root.buffer.data());
            batch->records.assign(first, first + bytes);
        }
    }
    root.overlapped = OVERLAPPED{};
    const bool rearmed = system_.Read(root.directory.Get(), root.buffer.data(), root.bufferBytes,
                                      &root.bytesReturned, &root.overlapped);
    root.pending = rearmed;
    const bool guard = !root.guardPath.empty();
    const bool emptied = guard && batch && !batch->lost && EmptiedBy(root, *batch);
    if (batch) {
        Enqueue(std::move(batch));
    } else {
        EnqueueLost(drive, root.under);  // no memory for the copy: like an overflow
    }
    if (guard) {
        // A guard that cannot read on leaves its folder to the drive's watch; what it missed
        // meanwhile is unknown.
        if (!rearmed) EnqueueLost(drive, root.under);
        if (!rearmed || emptied) RetireGuard(root);
    } else if (!rearmed) {
        drive.backoff = kFirstRetryMs;
        drive.retryAt = ::GetTickCount64() + drive.backoff;
        Retire(drive, WatchLoss::ArmFailed);
    }
}

void DirectoryWatcher::EnqueueLost(DriveState& drive, const std::wstring& under) {
    auto lost = std::unique_ptr<ChangeBatch>(new (std::nothrow) ChangeBatch());
    if (!lost) return;
    lost->letter = drive.letter;
    lost->under = under;
    lost->lost = true;
    Enqueue(std::move(lost));
}

void DirectoryWatcher::GuardFoldersOf(const std::wstring& folder) {
    if (folder.size() < 4 || folder[1] != L':' || folder[2] != L'\\' || !IsArmed(folder[0])) return;
    const size_t cut = folder.rfind(L'\\');
    if (cut > 2) GuardFolder(folder.substr(0, cut), true);
    GuardFolder(folder, false);
}

bool DirectoryWatcher::GuardFolder(const std::wstring& folder, bool evenAmongManySiblings) {
    const std::wstring key = Folded(folder);
    {
        ::AcquireSRWLockShared(&guardLock_);
        const auto siblings = guardedSubfolders_.find(FolderAbove(key));
        const bool needed =
            guarded_.count(key) == 0 && guarded_.size() < kMostGuards &&
            (evenAmongManySiblings || siblings == guardedSubfolders_.end() ||
             siblings->second < kGuardedSiblings);
        ::ReleaseSRWLockShared(&guardLock_);
        if (!needed) return false;
    }
    if (!worker_) return false;
    auto* request = new (std::nothrow) Request();
    if (request == nullptr) return false;
    request->letter = folder[0];
    request->guard = folder;
    // Armed before the folder is listed, so that no change after the listing is missed.
    return PostAndWait(request);
}

void DirectoryWatcher::ArmGuard(const std::wstring& folder) {
    DriveState* drive = StateOf(folder[0]);
    const std::wstring key = Folded(folder);
    if (drive == nullptr || !drive->armed || guarded_.count(key) != 0) return;
    auto guard = std::make_unique<WatchedRoot>();
    guard->drive = drive;
    guard->guardPath = folder;
    guard->under = folder.substr(3) + L"\\";
    guard->bufferBytes = kGuardBufferBytes;
    guard->buffer.resize(kGuardBufferBytes / sizeof(DWORD));
    RootIdentity identity;
    guard->directory = system_.OpenRoot(LongPathForm(folder), port_.Get(),
                                        reinterpret_cast<ULONG_PTR>(guard.get()), identity);
    if (!guard->directory || !system_.Read(guard->directory.Get(), guard->buffer.data(),
                                           kGuardBufferBytes, &guard->bytesReturned,
                                           &guard->overlapped)) {
        return;
    }
    guard->pending = true;
    ::AcquireSRWLockExclusive(&guardLock_);
    guarded_.insert(key);
    ++guardedSubfolders_[FolderAbove(key)];
    ::ReleaseSRWLockExclusive(&guardLock_);
    roots_.push_back(std::move(guard));
}

void DirectoryWatcher::RetireGuard(WatchedRoot& guard) {
    const std::wstring key = Folded(guard.guardPath);
    ::AcquireSRWLockExclusive(&guardLock_);
    if (guarded_.erase(key) != 0) {
        const auto siblings = guardedSubfolders_.find(FolderAbove(key));
        if (siblings != guardedSubfolders_.end() && --siblings->second == 0) {
            guardedSubfolders_.erase(siblings);
        }
    }
    ::ReleaseSRWLockExclusive(&guardLock_);
    guard.retired = true;
    if (guard.pending) {
        // Closed now, so that the folder is not held; the cancelled read still completes and
        // frees it.
        system_.Cancel(guard.directory.Get(), &guard.overlapped);
        guard.directory.Reset();
    } else {
        roots_.remove_if([&guard](const auto& candidate) { return candidate.get() == &guard; });
    }
}

void DirectoryWatcher::RetireGuardsOf(DriveState& drive) {
    std::vector<WatchedRoot*> guards;
    for (const auto& root : roots_) {
        if (root->drive == &drive && !root->guardPath.empty() && !root->retired) {
            guards.push_back(root.get());
        }
    }
    for (WatchedRoot* guard : guards) RetireGuard(*guard);
}

bool DirectoryWatcher::EmptiedBy(const WatchedRoot& guard, const ChangeBatch& batch) {
    return TakesAwayAnEntryOfItsOwn(batch.records.data(), batch.records.size()) &&
           system_.IsEmptyFolder(guard.guardPath);
}

// The drive whose root `directory` is: the one let go with it, or else the one watching it
// (a closed handle's value may name a newer root by now).
DirectoryWatcher::DriveState* DirectoryWatcher::DriveAbout(HANDLE directory, bool letGo) {
    for (auto& drive : drives_) {
        const bool match = letGo ? drive->suspended && drive->letGoHandle == directory
                                 : drive->root != nullptr && drive->root->directory.Get() == directory;
        if (match) return drive.get();
    }
    return nullptr;
}

// Closes the drive's watch and its handle now, so that the removal or the lock goes through.
void DirectoryWatcher::LetGo(DriveState& drive) {
    WatchedRoot& root = *drive.root;
    drive.suspended = true;
    drive.letGoHandle = root.directory.Get();
    drive.letGoNotification = std::move(root.notification);
    if (root.pending) system_.Cancel(root.directory.Get(), &root.overlapped);
    root.directory.Reset();  // the cancelled read still completes; its buffer waits for that
    Retire(drive, WatchLoss::DeviceRemoved);
}

void DirectoryWatcher::ApplyDeviceEvent(DeviceEvent event, HANDLE directory) {
    if (event == DeviceEvent::QueryRemove) {
        if (DriveState* drive = DriveAbout(directory, false)) LetGo(*drive);
        return;
    }
    DriveState* drive = DriveAbout(directory, true);
    if (drive == nullptr && event == DeviceEvent::Removed) {
        drive = DriveAbout(directory, false);  // removed without being asked first
        if (drive != nullptr) LetGo(*drive);
    }
    if (drive == nullptr) return;
    drive->suspended = false;
    drive->letGoHandle = nullptr;
    drive->letGoNotification.Reset();
    if (event == DeviceEvent::RemoveFailed) {
        if (drive->wanted && !drive->armed) Arm(*drive);
    } else {
        drive->wanted = false;  // asked for again by the next request, if the letter comes back
        sink_.OnWatchLost(drive->letter, WatchLoss::DeviceRemoved);
    }
}

void DirectoryWatcher::Maintain() {
    const ULONGLONG now = ::GetTickCount64();
    nextCheck_ = now + kTickMs;
    for (auto& state : drives_) {
        DriveState& drive = *state;
        if (drive.armed) {
            // A letter can come to name another volume or folder while its old root stays open:
            // compare what the letter opens now with what the watch holds.
            RootIdentity current;
            if (!system_.IdentityNow(drive.path, current) || !(current == drive.identity)) {
                drive.backoff = 0;
                drive.retryAt = now;
                Retire(drive, WatchLoss::VolumeChanged);
            }
        }
        if (drive.wanted && !drive.armed && !drive.suspended && now >= drive.retryAt) {
            if (!system_.IsFixed(drive.path)) {
                drive.wanted = false;  // asked for again by the next request, if it comes back
            } else {
                Arm(drive);
            }
        }
    }
}

void DirectoryWatcher::CancelEverything() {
    for (auto& state : drives_) state->armed = false;
    for (auto& root : roots_) {
        root->retired = true;
        if (root->pending) system_.Cancel(root->directory.Get(), &root->overlapped);
    }
    const ULONGLONG deadline = ::GetTickCount64() + kCancelWaitMs;
    auto anyPending = [this] {
        return std::any_of(roots_.begin(), roots_.end(), [](const auto& root) { return root->pending; });
    };
    while (anyPending()) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) break;
        DWORD bytes = 0;
        ULONG_PTR key = 0;
        OVERLAPPED* overlapped = nullptr;
        const BOOL ok = ::GetQueuedCompletionStatus(port_.Get(), &bytes, &key, &overlapped,
                                                    static_cast<DWORD>(deadline - now));
        if (!ok && overlapped == nullptr) break;
        if (key == kRequestKey) {
            auto* request = reinterpret_cast<Request*>(overlapped);
            if (request->done) ::SetEvent(request->done.Get());
            request->Release();
        } else if (key != kStopKey) {
            reinterpret_cast<WatchedRoot*>(key)->pending = false;
        }
    }
    // A read the system still owns keeps its buffer for the rest of the process's life.
    for (auto& root : roots_) {
        if (root->pending) root.release();
    }
    roots_.remove_if([](const auto& root) { return !root; });
}

void DirectoryWatcher::Enqueue(std::unique_ptr<ChangeBatch> batch) {
    DriveState* drive = StateOf(batch->letter);
    ::AcquireSRWLockExclusive(&drive->queueLock);
    drive->queue.push_back(std::move(batch));
    const bool startDrain = !drive->draining;
    drive->draining = true;
    ::ReleaseSRWLockExclusive(&drive->queueLock);
    if (startDrain && !StartTrackedThread(batchThreads_, &DrainQueue, drive)) {
        DrainQueue(drive);  // no thread to spare: apply it here rather than lose it
    }
}

DWORD DirectoryWatcher::DrainQueue(DriveState* drive) {
    for (;;) {
        ::AcquireSRWLockExclusive(&drive->queueLock);
        if (drive->queue.empty()) {
            drive->draining = false;
            ::ReleaseSRWLockExclusive(&drive->queueLock);
            return 0;
        }
        std::unique_ptr<ChangeBatch> batch = std::move(drive->queue.front());
        drive->queue.pop_front();
        ::ReleaseSRWLockExclusive(&drive->queueLock);
        drive->watcher->sink_.OnChange(std::move(batch));
    }
}

}  // namespace trovelle
