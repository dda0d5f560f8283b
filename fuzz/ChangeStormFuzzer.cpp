// The Windows storm of tests/core driven by the input's bytes: each byte chooses the next change,
// its target, a spelling, an overflow or a request. After every round each answer and each valid
// cached total must equal the file system's own sum; a mismatch aborts with its round's changes.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "FuzzCheck.h"
#include "WindowsStorm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t at = 0;
    auto choose = [&](uint32_t bound) -> uint32_t {
        if (at >= size) return 0;
        uint32_t value = data[at++];
        if (bound > 256 && at < size) value |= uint32_t{data[at++]} << 8;
        return value % bound;
    };
    // A few rounds an input: a fault shows within a handful of changes, and short inputs keep
    // the executions many.
    constexpr int kRounds = 12;
    trovelle::testing::StormOptions options;
    options.scanThreads = 1;  // one thread: an input always runs the same way
    trovelle::testing::WindowsStorm storm(choose, options);
    for (int round = 0; round < kRounds && at < size; ++round) {
        const auto mismatch = storm.Round();
        if (mismatch) {
            std::fprintf(stderr, "%s\nthe round's operations:\n", mismatch->c_str());
            for (const std::string& line : storm.Operations()) std::fprintf(stderr, "  %s\n", line.c_str());
        }
        FUZZ_CHECK(!mismatch);
    }
    return 0;
}
