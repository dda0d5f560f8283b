// The cache lock on Windows: a critical section behind the core's lock interface.
#pragma once

#include <windows.h>

#include "system/Platform.h"

namespace trovelle {

class CriticalSection : public Lock {
public:
    CriticalSection() { ::InitializeCriticalSection(&section_); }
    ~CriticalSection() override { ::DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Acquire() override { ::EnterCriticalSection(&section_); }
    void Release() override { ::LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

}  // namespace trovelle
