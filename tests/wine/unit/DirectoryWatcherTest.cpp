// The drive watcher against a fake of the system calls behind it: reads complete, fail and
// come back from a cancel only when the test says so, and a letter can change volume at will.
#include <windows.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "CacheObject.h"
#include "DirectoryWatcher.h"

namespace trovelle {
namespace {

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 3000) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(10);
    }
    return true;
}

// Each root's handle is an event of its own; a read stays outstanding until Complete or a
// cancel gives it back (a cancel of a "kept" drive never does, as a stuck driver).
class FakeDrives final : public WatchSystem {
public:
    UniqueKernelHandle OpenRoot(const std::wstring& root, HANDLE port, ULONG_PTR key,
                                RootIdentity& identity) override {
        std::lock_guard guard(mutex_);
        arms_.push_back(::GetTickCount64());
        if (refuse_) return {};
        UniqueKernelHandle handle(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        port_ = port;
        roots_[handle.Get()] = {root[0], key};
        identity = volume_;
        return handle;
    }
    bool IdentityNow(const std::wstring&, RootIdentity& identity) override {
        std::lock_guard guard(mutex_);
        identity = volume_;
        return true;
    }
    bool Read(HANDLE root, void* buffer, DWORD bytes, DWORD*, OVERLAPPED* overlapped) override {
        std::lock_guard guard(mutex_);
        reads_.push_back({roots_[root].letter, roots_[root].key, buffer, bytes, overlapped});
        return true;
    }
    void Cancel(HANDLE root, OVERLAPPED* overlapped) override {
        std::lock_guard guard(mutex_);
        cancels_.push_back(::GetTickCount64());
        if (kept_ == roots_[root].letter) return;
        for (auto read = reads_.begin(); read != reads_.end(); ++read) {
            if (read->overlapped != overlapped) continue;
            ::PostQueuedCompletionStatus(port_, 0, read->key, overlapped);
            reads_.erase(read);
            return;
        }
    }
    bool IsFixed(const std::wstring&) override { return true; }

    // Completes the drive's outstanding read with `records`; false when it has none.
    bool Complete(wchar_t letter, const std::vector<uint8_t>& records) {
        std::lock_guard guard(mutex_);
        for (auto read = reads_.begin(); read != reads_.end(); ++read) {
            if (read->letter != letter || records.size() > read->bytes) continue;
            std::memcpy(read->buffer, records.data(), records.size());
            ::PostQueuedCompletionStatus(port_, static_cast<DWORD>(records.size()), read->key,
                                         read->overlapped);
            reads_.erase(read);
            return true;
        }
        return false;
    }
    size_t Outstanding(wchar_t letter) {
        std::lock_guard guard(mutex_);
        size_t count = 0;
        for (const auto& read : reads_) count += read.letter == letter;
        return count;
    }
    void Refuse(bool refuse) {
        std::lock_guard guard(mutex_);
        refuse_ = refuse;
    }
    void SetVolume(RootIdentity volume) {
        std::lock_guard guard(mutex_);
        volume_ = volume;
    }
    void KeepCancelledReadsOf(wchar_t letter) { kept_ = letter; }
    std::vector<ULONGLONG> Arms() {
        std::lock_guard guard(mutex_);
        return arms_;
    }
    std::vector<ULONGLONG> Cancels() {
        std::lock_guard guard(mutex_);
        return cancels_;
    }

private:
    struct Root {
        wchar_t letter = 0;
        ULONG_PTR key = 0;
    };
    struct PendingRead {
        wchar_t letter;
        ULONG_PTR key;
        void* buffer;
        DWORD bytes;
        OVERLAPPED* overlapped;
    };

    std::mutex mutex_;
    HANDLE port_ = nullptr;
    std::map<HANDLE, Root> roots_;
    std::vector<PendingRead> reads_;
    std::vector<ULONGLONG> arms_;
    std::vector<ULONGLONG> cancels_;
    RootIdentity volume_{0x1111, 5};
    bool refuse_ = false;
    wchar_t kept_ = 0;
};

class RecordingSink final : public ChangeSink {
public:
    explicit RecordingSink(DWORD applyMs = 0) : applyMs_(applyMs) {}

    void OnChange(std::unique_ptr<ChangeBatch> batch) override {
        applying_ = true;
        ::Sleep(applyMs_);
        {
            std::lock_guard guard(mutex_);
            batches_.push_back(*batch);
        }
        applying_ = false;
    }
    void OnWatchLost(wchar_t letter, WatchLoss why) override {
        std::lock_guard guard(mutex_);
        losses_.push_back({letter, why});
    }

    std::vector<ChangeBatch> Batches() {
        std::lock_guard guard(mutex_);
        return batches_;
    }
    int Losses(wchar_t letter, WatchLoss why) {
        std::lock_guard guard(mutex_);
        int count = 0;
        for (const auto& loss : losses_) count += loss.first == letter && loss.second == why;
        return count;
    }
    bool Applying() const { return applying_; }

private:
    const DWORD applyMs_;
    std::atomic<bool> applying_{false};
    std::mutex mutex_;
    std::vector<ChangeBatch> batches_;
    std::vector<std::pair<wchar_t, WatchLoss>> losses_;
};

TEST(DirectoryWatcher, AFailedArmIsTriedAgainOnlyAfterItsBackOffHoweverManyClientsAsk) {
    FakeDrives system;
    system.Refuse(true);
    RecordingSink sink;
    DirectoryWatcher watcher(sink, DirectoryWatcher::kBufferBytes, system);
    watcher.AddDirectory(L"q:\\");
    watcher.Watch(DirectoryWatcher::kStart);

    // Clients that find the drive unwatched each ask for its watch, again and again, for 2.5 s.
    std::atomic<int> armed{0};
    const ULONGLONG end = ::GetTickCount64() + 2500;
    std::vector<std::thread> clients;
    for (int client = 0; client < 4; ++client) {
        clients.emplace_back([&] {
            while (::GetTickCount64() < end) {
                armed += watcher.EnsureWatched(L'q');
                ::Sleep(5);
            }
        });
    }
    for (auto& client : clients) client.join();
    watcher.StopAndDrain();

    // The first try, one more after the first back-off (1 s); the third waits 2 s more.
    const std::vector<ULONGLONG> arms = system.Arms();
    ASSERT_EQ(arms.size(), 2u);
    EXPECT_GE(arms[1] - arms[0], 990u);
    EXPECT_EQ(armed, 0);
    EXPECT_EQ(sink.Losses(L'q', WatchLoss::ArmFailed), 2);
}

TEST(DirectoryWatcher, ALetterThatComesToNameAnotherVolumeIsRetiredAndWatchedAnew) {
    FakeDrives system;
    RecordingSink sink;
    DirectoryWatcher watcher(sink, DirectoryWatcher::kBufferBytes, system);
    watcher.AddDirectory(L"q:\\");
    watcher.Watch(DirectoryWatcher::kStart);
    ASSERT_TRUE(WaitFor([&] { return system.Outstanding(L'q') == 1; }));
    ASSERT_TRUE(system.Complete(L'q', {1, 2, 3, 4}));
    ASSERT_TRUE(WaitFor([&] { return sink.Batches().size() == 1; }));

    system.SetVolume({0x2222, 5});
    ASSERT_TRUE(WaitFor([&] { return sink.Losses(L'q', WatchLoss::VolumeChanged) == 1; }));
    EXPECT_EQ(system.Cancels().size(), 1u);  // the old volume's read is let go
    ASSERT_TRUE(WaitFor([&] { return watcher.IsArmed(L'q') && system.Outstanding(L'q') == 1; }));
    EXPECT_EQ(system.Arms().size(), 2u);

    // The old read's cancelled completion is no batch; the new volume's changes are.
    ASSERT_TRUE(system.Complete(L'q', {5, 6, 7, 8}));
    ASSERT_TRUE(WaitFor([&] { return sink.Batches().size() >= 2; }));
    watcher.StopAndDrain();
    const std::vector<ChangeBatch> batches = sink.Batches();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_FALSE(batches[1].lost);
    EXPECT_EQ(batches[1].records, (std::vector<uint8_t>{5, 6, 7, 8}));
    EXPECT_EQ(sink.Losses(L'q', WatchLoss::VolumeChanged), 1);
}

TEST(DirectoryWatcher, StopsWithReadsOutstandingAndABatchBeingApplied) {
    FakeDrives system;
    system.KeepCancelledReadsOf(L'r');  // its read never comes back from the cancel
    RecordingSink sink(6000);           // longer than the watcher waits for cancelled reads
    auto watcher =
        std::make_unique<DirectoryWatcher>(sink, DirectoryWatcher::kBufferBytes, system);
    watcher->AddDirectory(L"q:\\");
    watcher->AddDirectory(L"r:\\");
    watcher->Watch(DirectoryWatcher::kStart);
    ASSERT_TRUE(WaitFor([&] { return system.Outstanding(L'q') == 1 && system.Outstanding(L'r') == 1; }));
    ASSERT_TRUE(system.Complete(L'q', {1, 2, 3, 4}));
    ASSERT_TRUE(WaitFor([&] { return sink.Applying() && system.Outstanding(L'q') == 1; }));

    const ULONGLONG start = ::GetTickCount64();
    watcher->StopAndDrain();
    EXPECT_LT(::GetTickCount64() - start, 15000u);
    EXPECT_FALSE(sink.Applying());
    EXPECT_EQ(system.Cancels().size(), 2u);
    EXPECT_EQ(system.Outstanding(L'q'), 0u);

    // A read the system gives back only now reaches nobody, and its buffer is still there.
    ASSERT_TRUE(system.Complete(L'r', {9, 9, 9, 9}));
    ::Sleep(200);
    EXPECT_EQ(sink.Batches().size(), 1u);
    watcher.reset();
}

// Stands for a start-up scan still listing a large drive when the last reference goes.
DWORD SlowScan(std::atomic<ULONGLONG>* endedAt) {
    ::Sleep(300);
    *endedAt = ::GetTickCount64();
    return 0;
}

TEST(DirectoryWatcher, TheCacheObjectStopsItOnlyAfterItsDriveScansHaveEnded) {
    FakeDrives system;
    CacheServerOptions options;
    options.watchSystem = &system;
    Microsoft::WRL::ComPtr<TrovelleCacheObject> cache = TrovelleCacheObject::Make(options);
    ASSERT_TRUE(cache);
    ASSERT_EQ(cache->InitializeCache(), S_OK);  // every fixed drive of the prefix, C: at least
    ASSERT_TRUE(WaitFor([&] { return system.Outstanding(L'c') == 1; }));

    std::atomic<ULONGLONG> scanEnded{0};
    ASSERT_TRUE(StartTrackedThread(cache->DriveScans(), &SlowScan, &scanEnded));
    cache.Reset();

    const std::vector<ULONGLONG> cancels = system.Cancels();
    ASSERT_FALSE(cancels.empty());
    ASSERT_NE(scanEnded, 0u);
    EXPECT_GE(cancels.front(), scanEnded.load());
}

}  // namespace
}  // namespace trovelle
