#include "index/FolderKey.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace trovelle {
namespace {

struct UpcaseRun {
    char16_t first;
    char16_t last;
    int32_t delta;
    int32_t stride;  // 0 for a single unit, else every stride-th unit of the run maps
};

constexpr UpcaseRun kUpcaseRuns[] = {
#include "index/UpcaseTable.inc"
};

char16_t Upcase(char16_t unit) {
    const UpcaseRun* run = std::upper_bound(
        std::begin(kUpcaseRuns), std::end(kUpcaseRuns), unit,
        [](char16_t value, const UpcaseRun& candidate) { return value < candidate.first; });
    if (run == std::begin(kUpcaseRuns)) return unit;
    --run;
    if (unit > run->last) return unit;
    if (run->stride > 1 && (unit - run->first) % run->stride != 0) return unit;
    return static_cast<char16_t>(unit + run->delta);
}

}  // namespace

char16_t FoldNonAscii(char16_t unit) {
    const char16_t upper = Upcase(unit);
    return (upper >= u'A' && upper <= u'Z') ? static_cast<char16_t>(upper + 0x20) : upper;
}

}  // namespace trovelle
