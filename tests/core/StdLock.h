#pragma once

#include <mutex>

#include "Platform.h"

namespace trovelle::testing {

class StdLock : public Lock {
public:
    void Acquire() override { mutex_.lock(); }
    void Release() override { mutex_.unlock(); }

private:
    std::mutex mutex_;
};

}  // namespace trovelle::testing
