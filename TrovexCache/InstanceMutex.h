// The server's instance mutex: held while this process serves, given up as soon as it stops
// serving, so that a successor COM starts for a late client can take over at once.
#pragma once

#include <windows.h>

#include "UniqueHandle.h"

namespace trovelle {

class InstanceMutex {
public:
    // Takes the named mutex. When another instance holds it, waits up to `waitMs` for it to
    // be given up (0: not at all).
    InstanceMutex(const wchar_t* name, DWORD waitMs) {
        handle_.Reset(::CreateMutexW(nullptr, TRUE, name));
        if (!handle_) return;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            owned_ = true;
            return;
        }
        // An abandoned mutex (its holder died) is ours as well.
        const DWORD wait = waitMs == 0 ? WAIT_TIMEOUT : ::WaitForSingleObject(handle_.Get(), waitMs);
        owned_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        if (!owned_) handle_.Reset();
    }
    ~InstanceMutex() { GiveUp(); }
    InstanceMutex(const InstanceMutex&) = delete;
    InstanceMutex& operator=(const InstanceMutex&) = delete;

    bool Owned() const { return owned_; }
    void GiveUp() {
        if (owned_) ::ReleaseMutex(handle_.Get());
        owned_ = false;
        handle_.Reset();
    }

private:
    UniqueKernelHandle handle_;
    bool owned_ = false;
};

}  // namespace trovelle
