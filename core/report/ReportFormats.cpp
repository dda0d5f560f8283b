#include "report/ReportFormats.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "text/CsvText.h"
#include "text/Utf8Text.h"

namespace trovelle {
namespace {

constexpr char16_t kLineEnd[] = u"\r\n";
constexpr uint64_t kWholeInTenths = 1000;
constexpr size_t kBarCells = 20;  // each 5 %

// Calls `visit(folder, level, parent)` for each folder, parents before their subfolders.
using FolderVisit = std::function<void(const ReportFolder&, size_t, const ReportFolder*)>;

void VisitFolder(const ReportFolder& folder, size_t level, const ReportFolder* parent,
                 const FolderVisit& visit) {
    visit(folder, level, parent);
    for (const ReportFolder& child : folder.children) VisitFolder(child, level + 1, &folder, visit);
}

void VisitAll(const std::vector<ReportFolder>& folders, const FolderVisit& visit) {
    for (const ReportFolder& folder : folders) VisitFolder(folder, 0, nullptr, visit);
}

uint64_t ShareOfParent(const ReportFolder& folder, const ReportFolder* parent, ReportOrder order) {
    if (parent == nullptr) return kWholeInTenths;
    return ShareInTenths(OrderedValue(folder.totals, order), OrderedValue(parent->totals, order));
}

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::string TenthsText(uint64_t tenths) {
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::u16string SizeOf(uint64_t bytes, const SizeTextSettings& sizes) {
    // A unit the settings do not know still shows the count.
    if (auto text = FormatSizeText(bytes, sizes)) return std::move(*text);
    return Ascii(std::to_string(bytes));
}

std::u16string PaddedLeft(const std::u16string& text, size_t width) {
    return std::u16string(width > text.size() ? width - text.size() : 0, u' ') + text;
}

std::u16string ShareCell(uint64_t tenths) {
    const size_t filled = static_cast<size_t>(std::min<uint64_t>(tenths / (kWholeInTenths / kBarCells), kBarCells));
    return u"[" + std::u16string(filled, u'#') + std::u16string(kBarCells - filled, u' ') + u"] " +
           PaddedLeft(Ascii(TenthsText(tenths)) + u"%", 6);
}

void AppendJsonString(std::u16string& out, std::u16string_view text) {
    out += u'"';
    for (size_t at = 0; at < text.size(); ++at) {
        const char16_t unit = text[at];
        const bool pairStart = IsHighSurrogate(unit) && at + 1 < text.size() && IsLowSurrogate(text[at + 1]);
        if (unit == u'"' || unit == u'\\') {
            out += u'\\';
            out += unit;
        } else if (pairStart) {
            out += unit;
            out += text[++at];
        } else if (unit < 0x20 || IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(unit));
            out += Ascii(escape);
        } else {
            out += unit;
        }
    }
    out += u'"';
}

void AppendJsonFolder(std::u16string& out, const ReportFolder& folder, size_t indent) {
    const std::u16string outer(indent, u' '), inner(indent + 2, u' ');
    out += u"{";
    out += kLineEnd + inner + u"\"path\": ";
    AppendJsonString(out, ShownPath(folder.path));
    out += u"," + std::u16string(kLineEnd) + inner + u"\"size\": " + Ascii(std::to_string(folder.totals.bytes));
    out += u"," + std::u16string(kLineEnd) + inner + u"\"sizeOnDisk\": " + Ascii(std::to_string(folder.totals.onDisk));
    if (folder.expanded) {
        out += u"," + std::u16string(kLineEnd) + inner + u"\"children\": [";
        for (size_t at = 0; at < folder.children.size(); ++at) {
            out += (at == 0 ? u"" : u",") + std::u16string(kLineEnd) + inner + u"  ";
            AppendJsonFolder(out, folder.children[at], indent + 4);
        }
        if (!folder.children.empty()) out += kLineEnd + inner;
        out += u"]";
    }
    out += kLineEnd + outer + u"}";
}

}  // namespace

std::string ReportText(const std::vector<ReportFolder>& folders, ReportOrder order,
                       const SizeTextSettings& sizes) {
    struct Line {
        std::u16string size, onDisk, share, name;
    };
    std::vector<Line> lines{{u"Size", u"On disk", u"Share", u"Folder"}};
    size_t sizeWidth = 0, diskWidth = 0;
    VisitAll(folders, [&](const ReportFolder& folder, size_t level, const ReportFolder* parent) {
        Line& line = lines.emplace_back();
        line.size = SizeOf(folder.totals.bytes, sizes);
        line.onDisk = SizeOf(folder.totals.onDisk, sizes);
        line.share = ShareCell(ShareOfParent(folder, parent, order));
        line.name = std::u16string(level * 2, u' ') +
                    std::u16string(parent == nullptr ? ShownPath(folder.path) : LastName(folder.path));
    });
    for (const Line& line : lines) {
        sizeWidth = std::max(sizeWidth, line.size.size());
        diskWidth = std::max(diskWidth, line.onDisk.size());
    }
    const size_t shareWidth = ShareCell(kWholeInTenths).size();
    std::u16string text;
    for (const Line& line : lines) {
        text += PaddedLeft(line.size, sizeWidth) + u"  " + PaddedLeft(line.onDisk, diskWidth) + u"  ";
        text += line.share + std::u16string(shareWidth - std::min(shareWidth, line.share.size()), u' ');
        text += u"  " + line.name + kLineEnd;
    }
    return ToUtf8(text);
}

std::string ReportJson(const std::vector<ReportFolder>& folders, bool asArray) {
    std::u16string text;
    if (asArray) {
        text += u"[";
        for (size_t at = 0; at < folders.size(); ++at) {
            text += (at == 0 ? u"" : u",") + std::u16string(kLineEnd) + u"  ";
            AppendJsonFolder(text, folders[at], 2);
        }
        if (!folders.empty()) text += kLineEnd;
        text += u"]";
    } else if (!folders.empty()) {
        AppendJsonFolder(text, folders.front(), 0);
    }
    if (!text.empty()) text += kLineEnd;
    return ToUtf8(text);
}

std::string ReportCsv(const std::vector<ReportFolder>& folders, ReportOrder order) {
    std::string text = CsvLine({"path", "size", "sizeOnDisk", "share"});
    VisitAll(folders, [&](const ReportFolder& folder, size_t, const ReportFolder* parent) {
        text += CsvLine({CsvField(ShownPath(folder.path)), std::to_string(folder.totals.bytes),
                         std::to_string(folder.totals.onDisk),
                         TenthsText(ShareOfParent(folder, parent, order))});
    });
    return text;
}

}  // namespace trovelle
