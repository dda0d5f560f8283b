// An in-memory file system for the core's tests: counts listings and can run a hook in the
// middle of one, which is how races with changes are tested deterministically.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "index/Totals.h"
#include "system/Platform.h"

namespace trovelle::testing {

class FakeFileSystem : public DirectoryLister, public DriveTypeQuery {
public:
    // Paths are case-insensitive like Windows paths: stored and looked up folded.
    void AddFolder(const Path& path);
    // A dense file takes its length rounded up to 4 KiB clusters on disk.
    void AddFile(const Path& path, uint64_t size);
    void AddFile(const Path& path, uint64_t size, uint64_t allocation);
    // A link entry in `path`'s parent that leads to the folder `target`.
    void AddFolderLink(const Path& path, const Path& target);
    void SetFileSize(const Path& path, uint64_t size);  // written dense
    // Same length, other space on disk: holes written into, or punched.
    void SetFileAllocation(const Path& path, uint64_t allocation);
    void Remove(const Path& path);  // a file, or a folder with everything below it
    void Rename(const Path& from, const Path& to);
    void SetDriveType(char16_t letter, DriveType type);
    // The folder exists but every listing of it fails (access denied) until allowed again.
    void SetUnlistable(const Path& path, bool unlistable);
    // The existing item `longPath` also answers to the last name of `shortPath` (its 8.3
    // name), as long as it exists; a rename takes it away, as NTFS makes a new one.
    void AddShortName(const Path& shortPath, const Path& longPath);
    std::u16string ShortName(const Path& path) const;  // empty when it has none
    bool Exists(const Path& path) const;
    // `path` with the links on the way to its last name followed (not the last name itself),
    // spelled as the items were created: where a change made through `path` is reported.
    Path RealPath(const Path& path) const;
    struct Listed {
        Path path;  // real, as created
        bool isFolder = false;
        bool isLink = false;
        Path linkTarget;  // folded
    };
    std::vector<Listed> Items() const;  // every item, each after the folder that holds it
    // Whether some link leads to a folder from which, following links, its own folder is reached.
    bool HasLinkCycle() const;

    bool List(const Path& folder, std::vector<DirectoryEntry>& entries) override;
    bool Identify(const Path& folder, FolderIdentity& identity) override;
    bool ResolveLink(const Path& link, Path& target) override;
    bool ExpandShortNames(const Path& path, Path& longPath) override;
    bool IsFolder(const Path& path) override;
    DriveType TypeOfRoot(char16_t firstUnit) override;

    // Runs once, after `folder`'s entries were read and before they are returned.
    void OnNextListing(const Path& folder, std::function<void()> hook);
    int Listings(const Path& folder) const;
    int TotalListings() const;
    void ResetCounts();
    ByteTotals Total(const Path& folder) const;  // reference sum, following no links
    // Reference sum as a scan counts links: a link to a folder counts that folder's total each
    // time it is met, one leading back onto the folders being descended counts 0.
    ByteTotals LinkedTotal(const Path& folder) const;
    // Files that anything opened: the path of every Identify, ResolveLink or List call that
    // named a file. A scan only ever reads listings, so that a cloud file is never recalled.
    std::vector<Path> FilesOpened() const;

private:
    struct Item {
        bool isFolder = false;
        uint64_t size = 0;
        uint64_t allocation = 0;
        Path linkTarget;  // folded; non-empty for a link
        std::u16string name;  // as created (original case)
        uint64_t id = 0;
        std::u16string shortName;  // folded; empty when none was given
    };
    // Folded path after following links in it, also links on the way to a link's target.
    Path Resolve(const Path& path, int depth = 0) const;
    template <typename Visit>
    void ForEachChild(const Path& folder, Visit&& visit) const;  // folded real folder
    ByteTotals Counted(const Path& real, std::vector<Path>& descent) const;
    void NoteOpened(const Path& path);

    mutable std::recursive_mutex mutex_;
    std::map<Path, Item> items_;  // folded full path -> item
    std::map<Path, int> listings_;
    std::map<Path, std::function<void()>> hooks_;
    std::map<char16_t, DriveType> drives_;
    std::map<Path, bool> unlistable_;
    std::vector<Path> filesOpened_;
    uint64_t nextId_ = 1;
    int linkCount_ = 0;
};

}  // namespace trovelle::testing
