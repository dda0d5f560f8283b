#include "report/FolderReport.h"

#include <algorithm>

#include "view/LargestFirst.h"

namespace trovelle {
namespace {

bool IsDriveRoot(const Path& path) { return path.size() == 2 && path[1] == u':'; }

}  // namespace

void OrderChildren(std::vector<ReportFolder>& children, ReportOrder order, size_t top) {
    std::sort(children.begin(), children.end(), [order](const ReportFolder& a, const ReportFolder& b) {
        return LargestFirst({LastName(a.path), OrderedValue(a.totals, order)},
                            {LastName(b.path), OrderedValue(b.totals, order)});
    });
    if (top != 0 && children.size() > top) children.resize(top);
}

uint64_t ShareInTenths(uint64_t part, uint64_t whole) {
    if (whole == 0) return 0;
    // In 128 bits: a thousand times a total of more than 18 PB would not fit in 64.
    const unsigned __int128 scaled = static_cast<unsigned __int128>(part) * 2000 + whole;
    return static_cast<uint64_t>(scaled / (static_cast<unsigned __int128>(whole) * 2));
}

Path JoinPath(const Path& folder, std::u16string_view name) {
    Path joined = folder;
    if (joined.empty() || joined.back() != u'\\') joined += u'\\';
    return joined.append(name);
}

Path ShownPath(const Path& path) { return IsDriveRoot(path) ? path + u'\\' : path; }

std::u16string_view LastName(const Path& path) {
    const size_t separator = path.find_last_of(u'\\');
    if (separator == Path::npos) return path;
    return std::u16string_view(path).substr(separator + 1);
}

}  // namespace trovelle
