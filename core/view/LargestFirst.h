// The order of a folder's children by size, as a disk-usage view shows them: known totals
// largest first, totals not known yet after them, ties by name.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace trovelle {

struct SizedChild {
    std::u16string_view name;
    std::optional<uint64_t> bytes;  // none: not known yet (or not to be had)
};

// Whether `a` comes before `b`.
bool LargestFirst(const SizedChild& a, const SizedChild& b);

}  // namespace trovelle
