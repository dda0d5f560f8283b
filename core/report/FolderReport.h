// A size report: folders asked for, each with its subfolders to the depth asked, largest first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "index/Totals.h"
#include "report/ReportOptions.h"
#include "system/Platform.h"

namespace trovelle {

struct ReportFolder {
    Path path;  // a drive's root is "x:", the form the cache and the listers take
    ByteTotals totals;
    bool expanded = false;  // its subfolders were listed: `children` holds them all (or the top)
    std::vector<ReportFolder> children;
};

// A folder that could not be listed or measured, and why when the source could tell (an
// HRESULT; 0 when it could not).
struct ReportProblem {
    Path path;
    uint32_t failure = 0;
};

struct Report {
    std::vector<ReportFolder> folders;
    std::vector<ReportProblem> problems;
};

// The value a report orders and shares by.
inline uint64_t OrderedValue(const ByteTotals& totals, ReportOrder order) {
    return order == ReportOrder::BySizeOnDisk ? totals.onDisk : totals.bytes;
}

// Largest first by the order's value, ties by name; then only the first `top` (0: all).
void OrderChildren(std::vector<ReportFolder>& children, ReportOrder order, size_t top);

// `part` of `whole` in tenths of a percent, rounded half up; 0 when `whole` is 0.
uint64_t ShareInTenths(uint64_t part, uint64_t whole);

// "folder\name"; a root "x:" gives "x:\name".
Path JoinPath(const Path& folder, std::u16string_view name);

// The path as people write it: a drive's root "x:" is shown as "x:\".
Path ShownPath(const Path& path);

// The last name of a path; a path without a separator is its own name.
std::u16string_view LastName(const Path& path);

}  // namespace trovelle
