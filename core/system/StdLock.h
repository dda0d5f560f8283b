#pragma once

// The cache lock for native programs (tests and benchmarks).
#include <mutex>

#include "system/Platform.h"

namespace trovelle {

class StdLock : public Lock {
public:
    void Acquire() override { mutex_.lock(); }
    void Release() override { mutex_.unlock(); }

private:
    std::mutex mutex_;
};

}  // namespace trovelle
