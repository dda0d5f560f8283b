// What the Windows-side benchmarks share: a median timing and a file of a given size.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "UniqueHandle.h"

namespace trovelle::bench {

// The median of `rounds` timings of `work`, in milliseconds.
inline double MedianMilliseconds(int rounds, const std::function<void()>& work) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Creates the file when missing and sets its length.
inline void WriteBytes(const std::wstring& path, DWORD bytes) {
    UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ::SetFilePointer(file.Get(), static_cast<LONG>(bytes), nullptr, FILE_BEGIN);
    ::SetEndOfFile(file.Get());
}

}  // namespace trovelle::bench
