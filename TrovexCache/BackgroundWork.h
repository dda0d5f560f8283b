// Counts the threads that use an object without holding a reference on it, so that the object's
// destructor can wait until the last of them is done.
#pragma once

#include <windows.h>

#include <new>

namespace trovelle {

class BackgroundWork {
public:
    BackgroundWork() {
        ::InitializeSRWLock(&lock_);
        ::InitializeConditionVariable(&idle_);
    }
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // Called before the thread is created, so a destructor can never miss it.
    void Enter() {
        ::AcquireSRWLockExclusive(&lock_);
        ++running_;
        ::ReleaseSRWLockExclusive(&lock_);
    }
    void Leave() {
        ::AcquireSRWLockExclusive(&lock_);
        if (--running_ == 0) ::WakeAllConditionVariable(&idle_);
        ::ReleaseSRWLockExclusive(&lock_);
    }
    void WaitUntilIdle() {
        ::AcquireSRWLockExclusive(&lock_);
        while (running_ != 0) ::SleepConditionVariableSRW(&idle_, &lock_, INFINITE, 0);
        ::ReleaseSRWLockExclusive(&lock_);
    }

private:
    SRWLOCK lock_;
    CONDITION_VARIABLE idle_;
    long running_ = 0;
};

// Starts `work(argument)` on a new thread accounted in `tracker`; false when no thread starts.
template <typename Argument>
bool StartTrackedThread(BackgroundWork& tracker, DWORD (*work)(Argument*), Argument* argument) {
    struct Start {
        BackgroundWork* tracker;
        DWORD (*work)(Argument*);
        Argument* argument;
        static DWORD WINAPI Main(void* raw) {
            Start start = *static_cast<Start*>(raw);
            delete static_cast<Start*>(raw);
            const DWORD result = start.work(start.argument);
            start.tracker->Leave();
            return result;
        }
    };
    auto* start = new (std::nothrow) Start{&tracker, work, argument};
    if (start == nullptr) return false;
    tracker.Enter();
    HANDLE thread = ::CreateThread(nullptr, 0, &Start::Main, start, 0, nullptr);
    if (thread == nullptr) {
        tracker.Leave();
        delete start;
        return false;
    }
    ::CloseHandle(thread);
    return true;
}

}  // namespace trovelle
