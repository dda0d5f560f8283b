// Waiting for a condition, with a bound, instead of for a fixed time (tests and the programs
// that drive windows from outside).
#pragma once

#include <windows.h>

#include <chrono>

namespace trovelle {

// Whether `condition` became true within `bound` (it is asked every `poll`).
template <typename Condition>
bool BecomesTrueWithin(std::chrono::milliseconds bound, Condition&& condition,
                       std::chrono::milliseconds poll = std::chrono::milliseconds(20)) {
    const auto end = std::chrono::steady_clock::now() + bound;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        ::Sleep(static_cast<DWORD>(poll.count()));
    }
}

// Whether `condition` held all through `span`: for what must not happen (a program started, a
// server ended) within the time it would take to happen. Fails as soon as it does.
template <typename Condition>
bool HoldsThroughout(std::chrono::milliseconds span, Condition&& condition) {
    return !BecomesTrueWithin(span, [&] { return !condition(); });
}

// The tests know them by their own namespace too.
namespace test {
using trovelle::BecomesTrueWithin;
using trovelle::HoldsThroughout;
}  // namespace test

}  // namespace trovelle
