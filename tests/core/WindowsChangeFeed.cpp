#include "WindowsChangeFeed.h"

#include <algorithm>

#include "cache/ChangeBatch.h"
#include "changes/ChangeRecords.h"
#include "index/FolderKey.h"

namespace trovelle::testing {
namespace {

constexpr size_t kReadBytes = 4096;  // the watch's buffer
constexpr size_t kHeaderBytes = 12;  // next offset, action, name length

void AppendUint32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

std::u16string NameOf(const Path& path) { return path.substr(path.rfind(u'\\') + 1); }

char16_t Upper(char16_t unit) { return unit >= u'a' && unit <= u'z' ? unit - 0x20 : unit; }

bool IsAlnum(char16_t unit) {
    return (unit >= u'0' && unit <= u'9') || (unit >= u'A' && unit <= u'Z');
}

// The base of an 8.3 name as NTFS makes it: letters and digits of the long name, upper case.
std::u16string ShortPart(std::u16string_view name, size_t length) {
    std::u16string part;
    for (char16_t unit : name) {
        if (part.size() < length && IsAlnum(Upper(unit))) part.push_back(Upper(unit));
    }
    return part;
}

}  // namespace

std::vector<uint8_t> EncodeChangeRecords(const std::vector<ChangeRecord>& records, bool aligned) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < records.size(); ++i) {
        const size_t start = out.size();
        const size_t nameBytes = records[i].name.size() * 2;
        size_t next = kHeaderBytes + nameBytes;
        if (aligned) next = (next + 3) & ~size_t{3};
        AppendUint32(out, i + 1 == records.size() ? 0 : static_cast<uint32_t>(next));
        AppendUint32(out, records[i].action);
        AppendUint32(out, static_cast<uint32_t>(nameBytes));
        for (char16_t unit : records[i].name) {
            out.push_back(static_cast<uint8_t>(unit));
            out.push_back(static_cast<uint8_t>(unit >> 8));
        }
        if (i + 1 != records.size()) out.resize(start + next, 0);
    }
    return out;
}

WindowsChangeFeed::WindowsChangeFeed(FakeFileSystem& fs, Chooser choose)
    : fs_(fs), choose_(std::move(choose)) {
    fs_.SetDriveType(u'c', DriveType::Fixed);
    fs_.SetDriveType(u'd', DriveType::Fixed);
    fs_.SetDriveType(u'e', DriveType::Removable);
}

bool WindowsChangeFeed::Watched(char16_t drive) {
    return FoldUnit(drive) == u'c' || FoldUnit(drive) == u'd';
}

void WindowsChangeFeed::CreateFile(const Path& path, uint64_t size) {
    const Path real = fs_.RealPath(path);
    fs_.AddFile(real, size);
    GiveShortName(real);
    Report(kActionAdded, real);
    if (size != 0 && choose_(2) == 0) Report(kActionModified, real);  // written after creation
}

void WindowsChangeFeed::CreateFolder(const Path& path) {
    const Path real = fs_.RealPath(path);
    fs_.AddFolder(real);
    GiveShortName(real);
    Report(kActionAdded, real);
}

void WindowsChangeFeed::CreateLink(const Path& path, const Path& target) {
    const Path real = fs_.RealPath(path);
    fs_.AddFolderLink(real, target);
    GiveShortName(real);
    Report(kActionAdded, real);
}

void WindowsChangeFeed::Grow(const Path& file, uint64_t size) {
    const Path real = fs_.RealPath(file);
    fs_.SetFileSize(real, size);
    Report(kActionModified, real);
}

void WindowsChangeFeed::Reallocate(const Path& file, uint64_t allocation) {
    const Path real = fs_.RealPath(file);
    fs_.SetFileAllocation(real, allocation);
    Report(kActionModified, real);
}

void WindowsChangeFeed::Delete(const Path& path) {
    const Path real = fs_.RealPath(path);
    ReportRemoval(real);
    fs_.Remove(real);
}

void WindowsChangeFeed::Move(const Path& from, const Path& to) {
    const Path realFrom = fs_.RealPath(from);
    const Path realTo = fs_.RealPath(to);
    const bool sameDrive = FoldUnit(realFrom[0]) == FoldUnit(realTo[0]);
    const bool sameFolder = FoldedKey(ContainingFolder(realFrom)) == FoldedKey(ContainingFolder(realTo));
    // Within one folder a rename is a pair; between folders of a drive NTFS reports a pair too,
    // FAT a removal and an addition.
    const bool asPair = sameDrive && (sameFolder || choose_(4) != 0);
    if (asPair) {
        Report(kActionRenamedOldName, realFrom);
    } else {
        ReportRemoval(realFrom);
    }
    fs_.Rename(realFrom, realTo);
    GiveShortName(realTo);
    if (asPair) {
        Report(kActionRenamedNewName, realTo);
    } else {
        ReportAddition(realTo);
    }
}

void WindowsChangeFeed::Overflow(char16_t drive) {
    // Whatever the system held for the watch is gone; what follows comes in later reads.
    reads_[FoldUnit(drive)] = {Read{}};
}

void WindowsChangeFeed::Deliver(FolderCache& cache) {
    std::vector<char16_t> drives;
    for (const auto& [drive, reads] : reads_) drives.push_back(drive);
    // Each drive's reads arrive in order, the drives' in any order.
    if (drives.size() == 2 && choose_(2) == 0) std::swap(drives[0], drives[1]);
    for (char16_t drive : drives) {
        const std::u16string root{drive, u':', u'\\'};
        for (const Read& read : reads_[drive]) {
            if (read.empty()) {
                ApplyChangeBatch(cache, root, nullptr, 0);
                continue;
            }
            for (size_t begin = 0; begin < read.size();) {
                std::vector<ChangeRecord> batch;
                size_t bytes = 0;
                for (; begin < read.size(); ++begin) {
                    const size_t more = (kHeaderBytes + read[begin].name.size() * 2 + 3) & ~size_t{3};
                    if (!batch.empty() && bytes + more > kReadBytes) break;
                    batch.push_back(read[begin]);
                    bytes += more;
                }
                const std::vector<uint8_t> encoded = EncodeChangeRecords(batch, true);
                ApplyChangeBatch(cache, root, encoded.data(), encoded.size());
            }
        }
    }
    reads_.clear();
}

std::string WindowsChangeFeed::Pending() const {
    static const char* const kActions[] = {"?", "added", "removed", "modified", "renamed-from",
                                           "renamed-to"};
    std::string text;
    for (const auto& [drive, reads] : reads_) {
        for (const Read& read : reads) {
            text += "  read on ";
            text += static_cast<char>(drive);
            text += read.empty() ? ":\\ lost\n" : ":\\\n";
            for (const ChangeRecord& record : read) {
                text += "    ";
                text += kActions[record.action <= kActionRenamedNewName ? record.action : 0];
                text += ' ';
                for (char16_t unit : record.name) text += unit < 0x80 ? static_cast<char>(unit) : '?';
                text += '\n';
            }
        }
    }
    return text;
}

void WindowsChangeFeed::Report(uint32_t action, const Path& real) {
    const char16_t drive = FoldUnit(real[0]);
    if (!Watched(drive) || real.size() < 4) return;
    std::vector<Read>& reads = reads_[drive];
    if (reads.empty() || reads.back().empty()) reads.emplace_back();
    reads.back().push_back({action, Spelled(real).substr(3)});
}

void WindowsChangeFeed::ReportRemoval(const Path& real) {
    // A folder's contents go first, deepest first, without following links; sometimes only the
    // folder is reported.
    if (choose_(4) != 0) {
        const Path folder = FoldedKey(real);
        std::vector<Path> below;
        for (const FakeFileSystem::Listed& item : fs_.Items()) {
            const Path key = FoldedKey(item.path);
            if (key != folder && IsAtOrBelow(key, folder)) below.push_back(item.path);
        }
        for (auto it = below.rbegin(); it != below.rend(); ++it) Report(kActionRemoved, *it);
    }
    Report(kActionRemoved, real);
}

void WindowsChangeFeed::ReportAddition(const Path& real) {
    Report(kActionAdded, real);
    if (choose_(2) != 0) return;  // a move reports the top item only, a copy every item
    const Path folder = FoldedKey(real);
    for (const FakeFileSystem::Listed& item : fs_.Items()) {
        const Path key = FoldedKey(item.path);
        if (key != folder && IsAtOrBelow(key, folder)) Report(kActionAdded, item.path);
    }
}

Path WindowsChangeFeed::Spelled(const Path& real) {
    // A record names an item as the change's caller opened it, which may be by its short name.
    Path spelled = real.substr(0, 2);
    for (size_t at = 2; at < real.size();) {
        const size_t end = std::min(real.find(u'\\', at + 1), real.size());
        const std::u16string shortName = fs_.ShortName(real.substr(0, end));
        spelled += u'\\';
        if (shortNames_ && !shortName.empty() && choose_(5) == 0) {
            for (char16_t unit : shortName) spelled += Upper(unit);
        } else {
            spelled.append(real, at + 1, end - at - 1);
        }
        at = end;
    }
    return spelled;
}

void WindowsChangeFeed::GiveShortName(const Path& real) {
    const std::u16string name = NameOf(real);
    const size_t dot = name.rfind(u'.');
    const std::u16string_view base = std::u16string_view(name).substr(0, dot);
    const std::u16string_view extension =
        dot == std::u16string::npos ? std::u16string_view() : std::u16string_view(name).substr(dot + 1);
    const bool fits = base.size() <= 8 && extension.size() <= 3 && !base.empty() &&
                      name.find(u' ') == std::u16string::npos && base.find(u'.') == std::u16string::npos;
    if (fits) return;
    const Path folder(ContainingFolder(real));
    const std::u16string tail = extension.empty() ? u"" : u"." + ShortPart(extension, 3);
    for (int n = 1; n < 10; ++n) {
        const Path candidate = folder + u'\\' + ShortPart(base, 6) + u'~' + char16_t(u'0' + n) + tail;
        Path taken;
        if (!fs_.ExpandShortNames(candidate, taken)) {
            fs_.AddShortName(candidate, real);
            return;
        }
    }
}

}  // namespace trovelle::testing
