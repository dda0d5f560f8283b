// What the Windows-side benchmarks share: a median timing and a file of a given size.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
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

// Median timings of several ways of doing one job, taken in turns round after round, so that a
// machine that slows down or warms up over the run favours none of them.
inline std::vector<double> InterleavedMedians(int rounds,
                                              const std::vector<std::function<void()>>& ways) {
    using Clock = std::chrono::steady_clock;
    std::vector<std::vector<double>> times(ways.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t way = 0; way < ways.size(); ++way) {
            const auto start = Clock::now();
            ways[way]();
            times[way].push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
    }
    std::vector<double> medians;
    for (std::vector<double>& each : times) {
        std::sort(each.begin(), each.end());
        medians.push_back(each[each.size() / 2]);
    }
    return medians;
}

// Adds up a tree the way a plain program would, listing each folder with `list(folder, onEntry)`,
// which calls onEntry(name, attributes, size) for every entry.
template <typename ListFolder>
UINT64 WalkTree(const std::wstring& root, ListFolder&& list) {
    UINT64 total = 0;
    std::vector<std::wstring> pending{root};
    while (!pending.empty()) {
        const std::wstring folder = std::move(pending.back());
        pending.pop_back();
        list(folder, [&](std::wstring_view name, DWORD attributes, UINT64 size) {
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                total += size;
            } else if (name != L"." && name != L"..") {
                pending.push_back(folder + L"\\" + std::wstring(name));
            }
        });
    }
    return total;
}

// The baseline of every cold figure: FindFirstFileW and FindNextFileW, as most programs list.
inline UINT64 WalkWithFindFirstFile(const std::wstring& root) {
    return WalkTree(root, [](const std::wstring& folder, auto&& onEntry) {
        WIN32_FIND_DATAW found;
        UniqueFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &found));
        if (!find) return;
        do {
            onEntry(found.cFileName, found.dwFileAttributes,
                    (UINT64{found.nFileSizeHigh} << 32) | found.nFileSizeLow);
        } while (::FindNextFileW(find.Get(), &found));
    });
}

// Creates the file when missing and sets its length.
inline void WriteBytes(const std::wstring& path, DWORD bytes) {
    UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ::SetFilePointer(file.Get(), static_cast<LONG>(bytes), nullptr, FILE_BEGIN);
    ::SetEndOfFile(file.Get());
}

// 1,000 folders of one file each (dN holds N + 100 bytes). Whether it was made now.
inline bool MakeFolderOfFoldersOnce(const std::wstring& folder) {
    if (::GetFileAttributesW((folder + L"\\d999\\f.txt").c_str()) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    ::CreateDirectoryW(folder.c_str(), nullptr);
    for (int sub = 0; sub < 1000; ++sub) {
        const std::wstring inner = folder + L"\\d" + std::to_wstring(sub);
        ::CreateDirectoryW(inner.c_str(), nullptr);
        WriteBytes(inner + L"\\f.txt", 100 + sub);
    }
    return true;
}

}  // namespace trovelle::bench
