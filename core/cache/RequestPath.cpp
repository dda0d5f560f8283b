#include "cache/RequestPath.h"

#include <vector>

namespace trovelle {
namespace {

bool IsSeparator(char16_t unit) { return unit == u'\\' || unit == u'/'; }

bool IsLetter(char16_t unit) {
    return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z');
}

// "\\?\" and "\\.\" (with either separator), and the system's own "\??\", introduce a path
// the system takes verbatim; in front of a drive path they change nothing about which folder is
// meant.
std::u16string_view WithoutDevicePrefix(std::u16string_view path) {
    const bool win32Device = path.size() >= 6 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
                             (path[2] == u'?' || path[2] == u'.') && IsSeparator(path[3]);
    const bool ntObject = path.size() >= 6 && path.substr(0, 4) == u"\\??\\";
    if ((win32Device || ntObject) && IsLetter(path[4]) && path[5] == u':') return path.substr(4);
    return path;
}

// "x:" followed by nothing but dots ("D:.", "D:..") names the drive's current folder, which
// for a process that never set one is the root: the drive itself.
bool NamesTheRootRelatively(std::u16string_view afterColon) {
    return !afterColon.empty() && afterColon.size() <= 2 &&
           afterColon.find_first_not_of(u'.') == std::u16string_view::npos;
}

}  // namespace

CanonicalRequest CanonicalizeRequest(std::u16string_view request) {
    CanonicalRequest result;
    std::u16string_view path = WithoutDevicePrefix(request);
    const bool onDrive = path.size() >= 2 && IsLetter(path[0]) && path[1] == u':';
    if (onDrive && NamesTheRootRelatively(path.substr(2))) path = path.substr(0, 2);
    const bool drivePath = onDrive && (path.size() == 2 || IsSeparator(path[2]));
    if (!drivePath) {
        result.path.assign(request);
        return result;
    }

    std::vector<std::u16string_view> names;
    size_t at = 2;
    while (at < path.size()) {
        while (at < path.size() && IsSeparator(path[at])) ++at;
        size_t end = at;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        const std::u16string_view name = path.substr(at, end - at);
        at = end;
        if (name == u"..") {
            if (!names.empty()) names.pop_back();  // the root is its own parent
        } else if (!name.empty() && name != u".") {
            // Kept as listed: a trailing dot or blank is part of a name on disks other systems
            // wrote ("dot." and "dot" can both be there), and the folder is opened exactly so.
            names.push_back(name);
        }
    }

    result.isDrivePath = true;
    size_t length = 2;
    for (std::u16string_view name : names) length += 1 + name.size();
    result.path.reserve(length);
    result.path.append(path.substr(0, 2));
    for (std::u16string_view name : names) result.path.append(1, u'\\').append(name);
    return result;
}

bool LooksLikeShortName(std::u16string_view name) {
    // "BASE~N.EXT": at most eight units before the dot, ending in "~" and digits, and at most
    // three after it. Names such as "~$report.docx" hold a tilde without being short.
    const size_t dot = name.rfind(u'.');
    const std::u16string_view base = dot == std::u16string_view::npos ? name : name.substr(0, dot);
    if (base.size() > 8 || (dot != std::u16string_view::npos && name.size() - dot - 1 > 3)) return false;
    const size_t tilde = base.rfind(u'~');
    if (tilde == std::u16string_view::npos || tilde + 1 == base.size()) return false;
    for (size_t at = tilde + 1; at < base.size(); ++at) {
        if (base[at] < u'0' || base[at] > u'9') return false;
    }
    return true;
}

bool MayHoldShortName(std::u16string_view path) {
    for (size_t start = 0; start <= path.size();) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        if (LooksLikeShortName(path.substr(start, end - start))) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace trovelle
