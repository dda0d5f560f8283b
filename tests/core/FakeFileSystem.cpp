#include "FakeFileSystem.h"

#include "index/FolderKey.h"

#include <algorithm>
#include <cstdint>
#include <functional>

namespace trovelle::testing {
namespace {

Path Folded(Path path) {
    FoldKey(path);
    return path;
}

// Windows opens "c:\\data\\" and "c:\\data\\\\sub" as "c:\\data" and "c:\\data\\sub".
Path Normalized(const Path& path) {
    Path normal;
    for (char16_t unit : Folded(path)) {
        if (unit == u'\\' && !normal.empty() && normal.back() == u'\\' && normal.size() > 1) continue;
        normal.push_back(unit);
    }
    if (normal.size() > 1 && normal.back() == u'\\' && normal[0] != u'\\') normal.pop_back();
    return normal;
}

Path ParentOf(const Path& path) { return Path(ContainingFolder(path)); }

uint64_t DenseAllocation(uint64_t size) {
    constexpr uint64_t kCluster = 4096;
    return size > UINT64_MAX - (kCluster - 1) ? UINT64_MAX : (size + kCluster - 1) / kCluster * kCluster;
}

std::u16string NameOf(const Path& path) {
    const size_t cut = path.rfind(u'\\');
    return cut == Path::npos ? path : path.substr(cut + 1);
}

}  // namespace

template <typename Visit>
void FakeFileSystem::ForEachChild(const Path& folder, Visit&& visit) const {
    const Path below = folder + u'\\';
    for (auto it = items_.lower_bound(below);
         it != items_.end() && it->first.compare(0, below.size(), below) == 0; ++it) {
        if (it->first.find(u'\\', below.size()) == Path::npos) visit(it->first, it->second);
    }
}

void FakeFileSystem::AddFolder(const Path& path) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    const Path key = Folded(path);
    if (items_.count(key) != 0) return;
    if (key.find(u'\\') != Path::npos) AddFolder(ParentOf(path));
    items_[key] = Item{true, 0, 0, {}, NameOf(path), nextId_++, {}};
}

void FakeFileSystem::AddFile(const Path& path, uint64_t size) {
    AddFile(path, size, DenseAllocation(size));
}

void FakeFileSystem::AddFile(const Path& path, uint64_t size, uint64_t allocation) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    AddFolder(ParentOf(path));
    items_[Folded(path)] = Item{false, size, allocation, {}, NameOf(path), nextId_++, {}};
}

void FakeFileSystem::AddFolderLink(const Path& path, const Path& target) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    AddFolder(ParentOf(path));
    items_[Folded(path)] = Item{true, 0, 0, Folded(target), NameOf(path), nextId_++, {}};
    ++linkCount_;
}

void FakeFileSystem::SetFileSize(const Path& path, uint64_t size) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Item& file = items_.at(Folded(path));
    file.size = size;
    file.allocation = DenseAllocation(size);
}

void FakeFileSystem::SetFileAllocation(const Path& path, uint64_t allocation) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    items_.at(Folded(path)).allocation = allocation;
}

void FakeFileSystem::Remove(const Path& path) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    const Path key = Folded(path);
    const Path below = key + u'\\';
    for (auto it = items_.begin(); it != items_.end();) {
        if (it->first == key || it->first.compare(0, below.size(), below) == 0) {
            it = items_.erase(it);
        } else {
            ++it;
        }
    }
}

void FakeFileSystem::Rename(const Path& from, const Path& to) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    const Path oldKey = Folded(from);
    const Path newKey = Folded(to);
    const Path below = oldKey + u'\\';
    std::map<Path, Item> moved;
    for (auto it = items_.begin(); it != items_.end();) {
        if (it->first == oldKey || it->first.compare(0, below.size(), below) == 0) {
            moved[newKey + it->first.substr(oldKey.size())] = it->second;
            it = items_.erase(it);
        } else {
            ++it;
        }
    }
    moved[newKey].name = NameOf(to);
    moved[newKey].shortName.clear();
    items_.insert(moved.begin(), moved.end());
}

void FakeFileSystem::SetDriveType(char16_t letter, DriveType type) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    drives_[FoldUnit(letter)] = type;
}

bool FakeFileSystem::Exists(const Path& path) const {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    return items_.count(Folded(path)) != 0;
}

Path FakeFileSystem::Resolve(const Path& asked, int depth) const {
    // Follows links component by component, as the system does when opening a path.
    const Path path = Normalized(asked);
    if (linkCount_ == 0) return path;
    Path resolved;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = path.find(u'\\', start);
        const Path part = path.substr(start, end == Path::npos ? Path::npos : end - start);
        resolved = resolved.empty() ? Folded(part) : resolved + u'\\' + Folded(part);
        auto it = items_.find(resolved);
        if (it != items_.end() && !it->second.linkTarget.empty()) {
            // The system gives up on too many links in a row; the path then names nothing.
            resolved = depth < 32 ? Resolve(it->second.linkTarget, depth + 1) : Path(u"?");
        }
        if (end == Path::npos) break;
        start = end + 1;
    }
    return resolved;
}

Path FakeFileSystem::RealPath(const Path& path) const {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    const Path normal = Normalized(path);
    const size_t cut = normal.rfind(u'\\');
    if (cut == Path::npos) return normal;
    const Path folder = Resolve(normal.substr(0, cut));
    // Rebuilt name by name for the spelling each item was created with.
    Path real = folder.substr(0, 2);
    for (size_t at = 2; at < folder.size();) {
        const size_t end = std::min(folder.find(u'\\', at + 1), folder.size());
        auto it = items_.find(folder.substr(0, end));
        real += u'\\';
        real += it != items_.end() ? it->second.name : folder.substr(at + 1, end - at - 1);
        at = end;
    }
    auto self = items_.find(folder + u'\\' + normal.substr(cut + 1));
    Path asked = path;
    while (!asked.empty() && asked.back() == u'\\') asked.pop_back();
    return real + u'\\' + (self != items_.end() ? self->second.name : NameOf(asked));
}

bool FakeFileSystem::List(const Path& folder, std::vector<DirectoryEntry>& entries) {
    entries.clear();
    std::function<void()> hook;
    {
        std::lock_guard<std::recursive_mutex> guard(mutex_);
        const Path key = Resolve(folder);
        ++listings_[Folded(folder)];
        NoteOpened(folder);
        auto self = items_.find(key);
        if (self == items_.end() || !self->second.isFolder || unlistable_[key]) return false;
        entries.push_back({u".", true, false, 0});
        entries.push_back({u"..", true, false, 0});
        const Path below = key + u'\\';
        for (auto it = items_.lower_bound(below);
             it != items_.end() && it->first.compare(0, below.size(), below) == 0; ++it) {
            if (it->first.find(u'\\', below.size()) != Path::npos) continue;  // deeper
            const Item& item = it->second;
            entries.push_back(
                {item.name, item.isFolder, !item.linkTarget.empty(), item.size, item.allocation});
        }
        auto pending = hooks_.find(Folded(folder));
        if (pending != hooks_.end()) {
            hook = std::move(pending->second);
            hooks_.erase(pending);
        }
    }
    if (hook) hook();
    return true;
}

bool FakeFileSystem::Identify(const Path& folder, FolderIdentity& identity) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    NoteOpened(folder);
    auto it = items_.find(Resolve(folder));
    if (it == items_.end() || !it->second.isFolder) return false;
    identity = {1, it->second.id};
    return true;
}

bool FakeFileSystem::ResolveLink(const Path& link, Path& target) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    NoteOpened(link);
    target = Resolve(link);
    auto it = items_.find(target);
    return it != items_.end() && it->second.isFolder;
}

bool FakeFileSystem::ExpandShortNames(const Path& path, Path& longPath) {
    // Like GetLongPathNameW: every name must exist now, as its long or its short name.
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    const Path normal = Normalized(path);
    size_t at = normal.find(u'\\');
    Path expanded = path.substr(0, at == Path::npos ? path.size() : at);
    Path folder = Folded(expanded);
    while (at != Path::npos) {
        const size_t end = normal.find(u'\\', at + 1);
        const Path name = normal.substr(at + 1, end == Path::npos ? Path::npos : end - at - 1);
        const Item* found = nullptr;
        if (auto it = items_.find(folder + u'\\' + name); it != items_.end()) found = &it->second;
        ForEachChild(folder, [&](const Path&, const Item& item) {
            if (found == nullptr && item.shortName == name) found = &item;
        });
        if (found == nullptr) return false;
        expanded += u'\\';
        expanded += found->name;
        folder = Resolve(expanded);
        at = end;
    }
    longPath = expanded;
    return true;
}

bool FakeFileSystem::IsFolder(const Path& path) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    auto it = items_.find(Resolve(path));
    return it != items_.end() && it->second.isFolder;
}

void FakeFileSystem::SetUnlistable(const Path& path, bool unlistable) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    unlistable_[Folded(path)] = unlistable;
}

void FakeFileSystem::AddShortName(const Path& shortPath, const Path& longPath) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    auto it = items_.find(Folded(longPath));
    if (it != items_.end()) it->second.shortName = Folded(NameOf(shortPath));
}

std::u16string FakeFileSystem::ShortName(const Path& path) const {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    auto it = items_.find(Folded(path));
    return it == items_.end() ? std::u16string() : it->second.shortName;
}

DriveType FakeFileSystem::TypeOfRoot(char16_t firstUnit) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    auto it = drives_.find(FoldUnit(firstUnit));
    return it == drives_.end() ? DriveType::NoRootDir : it->second;
}

void FakeFileSystem::OnNextListing(const Path& folder, std::function<void()> hook) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    hooks_[Folded(folder)] = std::move(hook);
}

void FakeFileSystem::NoteOpened(const Path& path) {
    auto it = items_.find(Resolve(path));
    if (it != items_.end() && !it->second.isFolder) filesOpened_.push_back(path);
}

std::vector<Path> FakeFileSystem::FilesOpened() const {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    return filesOpened_;
}

int FakeFileSystem::Listings(const Path& folder) const {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    auto it = listings_.find(Folded(folder));
    return it == listings_.end() ? 0 : it->second;
}

int FakeFileSystem::TotalListings() const {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    int total = 0;
    for (const auto& entry : listings_) total += entry.second;
    return total;
}

void FakeFileSystem::ResetCounts() {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    listings_.clear();
}

ByteTotals FakeFileSystem::Total(const Path& folder) const {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    const Path below = Folded(folder) + u'\\';
    ByteTotals total;
    for (auto it = items_.lower_bound(below);
         it != items_.end() && it->first.compare(0, below.size(), below) == 0; ++it) {
        if (!it->second.isFolder) total = AddCapped(total, {it->second.size, it->second.allocation});
    }
    return total;
}


ByteTotals FakeFileSystem::Counted(const Path& real, std::vector<Path>& descent) const {
    descent.push_back(real);
    ByteTotals total;
    ForEachChild(real, [&](const Path& key, const Item& item) {
        ByteTotals size{item.size, item.allocation};
        if (item.isFolder) {
            const Path next = item.linkTarget.empty() ? key : Resolve(item.linkTarget);
            auto target = items_.find(next);
            const bool loops = std::find(descent.begin(), descent.end(), next) != descent.end();
            size = target == items_.end() || !target->second.isFolder || loops
                       ? ByteTotals{}
                       : Counted(next, descent);
        }
        total = AddCapped(total, size);
    });
    descent.pop_back();
    return total;
}

ByteTotals FakeFileSystem::LinkedTotal(const Path& folder) const {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    const Path real = Resolve(folder);
    auto it = items_.find(real);
    if (it == items_.end() || !it->second.isFolder) return {};
    std::vector<Path> descent;
    return Counted(real, descent);
}

std::vector<FakeFileSystem::Listed> FakeFileSystem::Items() const {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    std::vector<Listed> listed;
    std::map<Path, Path> spelled;  // folded -> as created, for the folders met so far
    for (const auto& [key, item] : items_) {
        const size_t cut = key.rfind(u'\\');
        Path path = cut == Path::npos ? item.name : spelled[key.substr(0, cut)] + u'\\' + item.name;
        if (item.isFolder) spelled[key] = path;
        listed.push_back({std::move(path), item.isFolder, !item.linkTarget.empty(), item.linkTarget});
    }
    return listed;
}

bool FakeFileSystem::HasLinkCycle() const {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    std::map<Path, int> state;  // 1: being descended, 2: done
    std::function<bool(const Path&)> reachesItself = [&](const Path& real) {
        state[real] = 1;
        bool cycle = false;
        ForEachChild(real, [&](const Path& key, const Item& item) {
            if (cycle || !item.isFolder) return;
            const Path next = item.linkTarget.empty() ? key : Resolve(item.linkTarget);
            auto target = items_.find(next);
            if (target == items_.end() || !target->second.isFolder) return;
            const int seen = state[next];
            cycle = seen == 1 || (seen == 0 && reachesItself(next));
        });
        state[real] = 2;
        return cycle;
    };
    for (const auto& [key, item] : items_) {
        if (key.find(u'\\') == Path::npos && state[key] == 0 && reachesItself(key)) return true;
    }
    return false;
}

}  // namespace trovelle::testing
