#include "FakeFileSystem.h"

#include "FolderKey.h"

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

std::u16string NameOf(const Path& path) {
    const size_t cut = path.rfind(u'\\');
    return cut == Path::npos ? path : path.substr(cut + 1);
}

}  // namespace

void FakeFileSystem::AddFolder(const Path& path) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    const Path key = Folded(path);
    if (items_.count(key) != 0) return;
    if (key.find(u'\\') != Path::npos) AddFolder(ParentOf(path));
    items_[key] = Item{true, 0, {}, NameOf(path), nextId_++};
}

void FakeFileSystem::AddFile(const Path& path, uint64_t size) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    AddFolder(ParentOf(path));
    items_[Folded(path)] = Item{false, size, {}, NameOf(path), nextId_++};
}

void FakeFileSystem::AddFolderLink(const Path& path, const Path& target) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    AddFolder(ParentOf(path));
    items_[Folded(path)] = Item{true, 0, Folded(target), NameOf(path), nextId_++};
    ++linkCount_;
}

void FakeFileSystem::SetFileSize(const Path& path, uint64_t size) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    items_.at(Folded(path)).size = size;
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

Path FakeFileSystem::Resolve(const Path& asked) const {
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
        if (it != items_.end() && !it->second.linkTarget.empty()) resolved = it->second.linkTarget;
        if (end == Path::npos) break;
        start = end + 1;
    }
    return resolved;
}

bool FakeFileSystem::List(const Path& folder, std::vector<DirectoryEntry>& entries) {
    entries.clear();
    std::function<void()> hook;
    {
        std::lock_guard<std::recursive_mutex> guard(mutex_);
        const Path key = Resolve(folder);
        ++listings_[Folded(folder)];
        auto self = items_.find(key);
        if (self == items_.end() || !self->second.isFolder || unlistable_[key]) return false;
        entries.push_back({u".", true, false, 0});
        entries.push_back({u"..", true, false, 0});
        const Path below = key + u'\\';
        for (auto it = items_.lower_bound(below);
             it != items_.end() && it->first.compare(0, below.size(), below) == 0; ++it) {
            if (it->first.find(u'\\', below.size()) != Path::npos) continue;  // deeper
            const Item& item = it->second;
            entries.push_back({item.name, item.isFolder, !item.linkTarget.empty(), item.size});
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
    auto it = items_.find(Resolve(folder));
    if (it == items_.end() || !it->second.isFolder) return false;
    identity = {1, it->second.id};
    return true;
}

bool FakeFileSystem::ResolveLink(const Path& link, Path& target) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    target = Resolve(link);
    auto it = items_.find(target);
    return it != items_.end() && it->second.isFolder;
}

bool FakeFileSystem::ExpandShortNames(const Path& path, Path& longPath) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    const Path folded = Folded(path);
    for (const auto& [shortPath, longForm] : shortNames_) {
        if (folded == shortPath || folded.rfind(shortPath + u'\\', 0) == 0) {
            longPath = longForm + path.substr(shortPath.size());
            return true;
        }
    }
    return false;
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
    shortNames_[Folded(shortPath)] = longPath;
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

uint64_t FakeFileSystem::Total(const Path& folder) const {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    const Path below = Folded(folder) + u'\\';
    uint64_t total = 0;
    for (auto it = items_.lower_bound(below);
         it != items_.end() && it->first.compare(0, below.size(), below) == 0; ++it) {
        if (!it->second.isFolder) total += it->second.size;
    }
    return total;
}

}  // namespace trovelle::testing
