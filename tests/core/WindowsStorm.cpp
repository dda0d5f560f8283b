#include "WindowsStorm.h"

#include "index/FolderKey.h"

namespace trovelle::testing {
namespace {

constexpr size_t kMostItems = 220;  // beyond this the storm deletes instead of creating

std::string Narrow(std::u16string_view text) {
    std::string narrow;
    for (char16_t unit : text) narrow += unit < 0x80 ? static_cast<char>(unit) : '?';
    return narrow;
}

bool IsRoot(const Path& path) { return path.find(u'\\') == Path::npos; }

Path NameOf(const Path& path) { return path.substr(path.rfind(u'\\') + 1); }

std::string Text(const ByteTotals& totals) {
    return std::to_string(totals.bytes) + " (" + std::to_string(totals.onDisk) + " on disk)";
}

}  // namespace

WindowsStorm::WindowsStorm(Chooser choose, StormOptions options)
    : choose_(std::move(choose)),
      options_(options),
      cache_(std::make_unique<FolderCache>(fs_, fs_, lock_, [&] {
          FolderCacheOptions cacheOptions;
          cacheOptions.scanThreads = options.scanThreads;
          return cacheOptions;
      }())),
      feed_(fs_, choose_) {
    feed_.ShortNamesInRecords(options_.shortNamesInRecords);
    feed_.CreateFile(u"c:\\Users\\Ann\\notes.txt", 120);
    feed_.CreateFile(u"c:\\Users\\Ann\\Documents Archive\\Report 2023.docx", 5000);
    feed_.CreateFile(u"c:\\Program Files\\App\\app.exe", 70000);
    feed_.CreateFile(u"c:\\t\\sub\\a.bin", 1000);
    feed_.CreateFile(u"c:\\t\\b.bin", 10);
    feed_.CreateFile(u"c:\\l\\readme", 5);
    feed_.CreateFile(u"d:\\Data\\Photos Collection\\p1.jpg", 300000);
    feed_.CreateFile(u"d:\\Data\\x.bin", 42);
    feed_.CreateFile(u"d:\\Backup\\old\\z", 7);
    feed_.CreateFile(u"e:\\Photos\\e1.jpg", 800);
    feed_.CreateFile(u"e:\\Photos\\Trip\\e2.jpg", 900);
    feed_.CreateLink(u"c:\\l\\link", u"c:\\t");
    feed_.CreateLink(u"c:\\Users\\Ann\\Data Link", u"d:\\Data");
    if (options_.linksToRemovable) feed_.CreateLink(u"c:\\l\\usb", u"e:\\Photos");
    feed_.Deliver(*cache_);  // before anything was measured: they change nothing
}

std::vector<FakeFileSystem::Listed> WindowsStorm::Pick(bool folders, bool links, bool files) {
    std::vector<FakeFileSystem::Listed> picked;
    for (FakeFileSystem::Listed& item : fs_.Items()) {
        const bool kind = item.isLink ? links : item.isFolder ? folders : files;
        if (kind && !IsRoot(item.path)) picked.push_back(std::move(item));
    }
    return picked;
}

Path WindowsStorm::PickFolder(bool anyDrive) {
    std::vector<Path> folders{u"c:", u"d:"};
    if (anyDrive) folders.push_back(u"e:");
    for (const FakeFileSystem::Listed& item : Pick(true, false, false)) {
        if (anyDrive || WindowsChangeFeed::Watched(item.path[0])) folders.push_back(item.path);
    }
    return folders[choose_(static_cast<uint32_t>(folders.size()))];
}

Path WindowsStorm::NewName(bool file) {
    static const char16_t* const kStems[] = {u"f", u"Folder Name ", u"LongerName", u"Q"};
    Path name = kStems[choose_(4)];
    for (char digit : std::to_string(++names_)) name += static_cast<char16_t>(digit);
    if (file && choose_(2) == 0) name += u".txt";
    return name;
}

Path WindowsStorm::ThroughLink(const Path& real) {
    if (!options_.linkPathRequests) return real;
    const Path key = FoldedKey(real);
    std::vector<Path> spellings;
    for (const FakeFileSystem::Listed& link : Pick(false, true, false)) {
        if (IsAtOrBelow(key, link.linkTarget)) {
            spellings.push_back(link.path + real.substr(link.linkTarget.size()));
        }
    }
    if (spellings.empty()) return real;
    return spellings[choose_(static_cast<uint32_t>(spellings.size()))];
}

Path WindowsStorm::Spelling(const Path& real) {
    Path spelled = real;
    switch (choose_(8)) {
        case 0:
            for (char16_t& unit : spelled) unit = unit >= u'a' && unit <= u'z' ? unit - 0x20 : unit;
            break;
        case 1:
            for (char16_t& unit : spelled) unit = unit == u'\\' ? u'/' : unit;
            break;
        case 2:
            spelled += u'\\';
            break;
        case 3: {
            spelled = real.substr(0, 2);
            for (size_t at = 2; at < real.size();) {
                const size_t end = std::min(real.find(u'\\', at + 1), real.size());
                const std::u16string shortName = fs_.ShortName(real.substr(0, end));
                spelled += u'\\';
                spelled += shortName.empty() ? real.substr(at + 1, end - at - 1) : shortName;
                at = end;
            }
            break;
        }
        case 4:
            spelled = u"\\\\?\\" + real;
            break;
        case 5:
        case 6:
            spelled = ThroughLink(real);
            break;
        default:
            break;
    }
    return spelled;
}

bool WindowsStorm::MakesCycle(const Path& from, const Path& to) {
    // Totals through a cycle depend on where it is entered: the storm makes none. Tried on the
    // file system and undone, before any record is made.
    const std::u16string shortName = fs_.ShortName(from);
    fs_.Rename(from, to);
    const bool cycle = fs_.HasLinkCycle();
    fs_.Rename(to, from);
    if (!shortName.empty()) fs_.AddShortName(Path(ContainingFolder(from)) + u'\\' + shortName, from);
    return cycle;
}

bool WindowsStorm::HoldsLinkTarget(const Path& folder) {
    const Path key = FoldedKey(folder);
    for (const FakeFileSystem::Listed& link : Pick(false, true, false)) {
        if (IsAtOrBelow(link.linkTarget, key)) return true;
    }
    return false;
}

void WindowsStorm::Change() {
    const bool full = fs_.Items().size() > kMostItems;
    uint32_t kind = choose_(20);
    if (full && kind < 5) kind = 8 + kind % 2;
    auto note = [&](const std::string& what, const Path& path, const Path& other = {}) {
        log_.push_back(what + " " + Narrow(path) + (other.empty() ? "" : " -> " + Narrow(other)));
    };
    auto pickOne = [&](const std::vector<FakeFileSystem::Listed>& items) -> const FakeFileSystem::Listed* {
        return items.empty() ? nullptr : &items[choose_(static_cast<uint32_t>(items.size()))];
    };
    switch (kind) {
        case 0: case 1: case 2: {
            const Path path = ThroughLink(PickFolder(true)) + u'\\' + NewName(true);
            const uint64_t size = choose_(4000);
            note("create file (" + std::to_string(size) + ")", path);
            feed_.CreateFile(path, size);
            break;
        }
        case 3: case 4: {
            const Path path = ThroughLink(PickFolder(true)) + u'\\' + NewName(false);
            note("create folder", path);
            feed_.CreateFolder(path);
            break;
        }
        case 5: case 6: case 7: {
            const auto files = Pick(false, false, true);
            if (const auto* file = pickOne(files)) {
                const Path path = ThroughLink(file->path);
                if (kind == 7) {
                    const uint64_t allocation = choose_(3) * 4096;
                    note("allocate " + std::to_string(allocation), path);
                    feed_.Reallocate(path, allocation);
                } else {
                    const uint64_t size = choose_(8000);
                    note("grow to " + std::to_string(size), path);
                    feed_.Grow(path, size);
                }
            }
            break;
        }
        case 8: case 9: {
            const auto items = Pick(kind == 9, kind == 9, kind == 8);
            if (const auto* item = pickOne(items)) {
                if (!options_.aboveTargets && HoldsLinkTarget(item->path)) break;
                const Path path = ThroughLink(item->path);
                note("delete", path);
                if (item->isFolder && !item->isLink) gone_.push_back(item->path);
                feed_.Delete(path);
            }
            break;
        }
        case 10: case 11: case 12: case 13: {
            const auto items = Pick(true, true, true);
            const auto* item = pickOne(items);
            if (item == nullptr || (!options_.aboveTargets && HoldsLinkTarget(item->path))) break;
            // A rename in place, or a move to another folder, maybe on another drive.
            Path folder(ContainingFolder(item->path));
            if (kind >= 12) folder = PickFolder(true);
            if (IsAtOrBelow(FoldedKey(folder), FoldedKey(item->path))) break;
            Path to = folder + u'\\' + (kind >= 12 && choose_(2) == 0 ? NameOf(item->path) : NewName(!item->isFolder));
            if (fs_.Exists(to) || MakesCycle(item->path, to)) break;
            if (item->isFolder && !item->isLink) gone_.push_back(item->path);
            note(kind >= 12 ? "move" : "rename", item->path, to);
            feed_.Move(item->path, to);
            break;
        }
        case 14: case 15: {
            const Path folder = ThroughLink(PickFolder(true));
            Path target = PickFolder(options_.linksToRemovable);
            if (choose_(8) != 0 && IsRoot(target)) break;  // links to roots now and then
            const Path path = folder + u'\\' + NewName(false);
            const Path real = fs_.RealPath(path);
            fs_.AddFolderLink(real, target);
            const bool cycle = fs_.HasLinkCycle();
            fs_.Remove(real);
            if (cycle) break;
            note("link", path, target);
            feed_.CreateLink(path, target);
            break;
        }
        case 16: {
            const auto links = Pick(false, true, false);
            if (const auto* link = pickOne(links)) {
                note("delete link", link->path);
                feed_.Delete(link->path);
            }
            break;
        }
        case 17: {
            if (!options_.targetsAway || !options_.aboveTargets) break;
            const auto links = Pick(false, true, false);
            const auto* link = pickOne(links);
            if (link == nullptr || !fs_.Exists(link->linkTarget)) break;
            // The target itself or a folder above it, renamed away (sent to the Recycle Bin).
            Path folder = fs_.RealPath(link->linkTarget);
            for (uint32_t up = choose_(3); up > 0 && !IsRoot(Path(ContainingFolder(folder))); --up) {
                folder = Path(ContainingFolder(folder));
            }
            if (IsRoot(folder)) break;
            const Path to = folder + u" away" + NewName(false);
            if (fs_.Exists(to) || MakesCycle(folder, to)) break;
            note("rename away", folder, to);
            away_.emplace_back(to, folder);
            feed_.Move(folder, to);
            break;
        }
        case 18: {
            if (away_.empty()) break;
            const size_t at = choose_(static_cast<uint32_t>(away_.size()));
            const auto [awayPath, before] = away_[at];
            away_.erase(away_.begin() + static_cast<std::ptrdiff_t>(at));
            if (!fs_.Exists(awayPath) || fs_.Exists(before) || !fs_.Exists(Path(ContainingFolder(before))) ||
                MakesCycle(awayPath, before)) {
                break;
            }
            note("rename back", awayPath, before);
            feed_.Move(awayPath, before);
            break;
        }
        default: {
            if (options_.overflows && choose_(4) == 0) {
                const char16_t drive = choose_(2) == 0 ? u'c' : u'd';
                note("overflow", Path{drive, u':'});
                feed_.Overflow(drive);
            }
            break;
        }
    }
}

std::optional<std::string> WindowsStorm::Ask(const Path& real) {
    const Path spelled = Spelling(real);
    const ByteTotals answer = cache_->GetFolderSizes(spelled).totals;
    const ByteTotals expected = fs_.LinkedTotal(real);
    if (answer == expected) return std::nullopt;
    return "asked " + Narrow(spelled) + " (" + Narrow(real) + "): answered " + Text(answer) +
           ", the file system holds " + Text(expected);
}

std::optional<std::string> WindowsStorm::CheckCache() {
    std::optional<std::string> mismatch;
    cache_->VisitLocked([&](const CachedFolderView& folder) {
        if (mismatch || !folder.node.IsValid()) return;
        const ByteTotals expected = fs_.LinkedTotal(Path(folder.key));
        if (folder.node.Total() != expected) {
            mismatch = "cached " + Narrow(folder.key) + ": " + Text(folder.node.Total()) +
                       " (valid), the file system holds " + Text(expected);
        }
    });
    return mismatch;
}

std::optional<std::string> WindowsStorm::Round() {
    log_.clear();
    for (uint32_t changes = 1 + choose_(4); changes > 0; --changes) {
        Change();
        if (choose_(3) == 0) {
            // Asked before the change's records arrive: the scan sees the change already.
            const Path early = Spelling(PickFolder(true));
            log_.push_back("ask early " + Narrow(early));
            cache_->GetFolderSize(early);
        }
    }
    log_.push_back("records:\n" + feed_.Pending());
    feed_.Deliver(*cache_);
    for (uint32_t asks = 1 + choose_(3); asks > 0; --asks) {
        if (auto mismatch = Ask(PickFolder(true))) return mismatch;
    }
    if (options_.missingRequests && choose_(4) == 0) {
        const Path missing = !gone_.empty() && choose_(2) == 0
                                 ? gone_[choose_(static_cast<uint32_t>(gone_.size()))]
                                 : PickFolder(true) + u"\\Missing" + NewName(false);
        if (auto mismatch = Ask(missing)) return mismatch;
    }
    return CheckCache();
}

}  // namespace trovelle::testing
