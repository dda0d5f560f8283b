// The few things the portable core needs from the operating system, as interfaces.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trovelle {

// Paths and keys are UTF-16 code units on every build, so folding and comparison agree.
using Path = std::u16string;

struct DirectoryEntry {
    std::u16string name;
    bool isFolder = false;
    bool isLink = false;  // a reparse point or symbolic link; only links can close a loop
    uint64_t size = 0;        // logical length of a file; folders report 0
    uint64_t allocation = 0;  // bytes the file takes on disk (0 for a cloud file online only)
};

// Identity of a folder on its volume, used only to stop descending into loops.
struct FolderIdentity {
    uint64_t volume = 0;
    uint64_t file = 0;
    bool operator==(const FolderIdentity& other) const {
        return volume == other.volume && file == other.file;
    }
};

class DirectoryLister {
public:
    virtual ~DirectoryLister() = default;
    // Replaces `entries` with the folder's entries ("." and ".." may be among them).
    // Returns false when the folder cannot be listed; `entries` is then empty.
    virtual bool List(const Path& folder, std::vector<DirectoryEntry>& entries) = 0;
    // The identity of the folder a path leads to (after following links).
    virtual bool Identify(const Path& folder, FolderIdentity& identity) = 0;
    // The full path of the folder a link leads to, in the system's own spelling.
    virtual bool ResolveLink(const Path& /*link*/, Path& /*target*/) { return false; }
    // The long form of a path that may hold short (8.3) names; false when there is none.
    virtual bool ExpandShortNames(const Path& /*path*/, Path& /*longPath*/) { return false; }
    // Whether a folder is at `path` now.
    virtual bool IsFolder(const Path& /*path*/) { return false; }
    // The scan on this thread has ended: anything kept to list its folders faster (open
    // folders) may name other folders by the next one, and is let go.
    virtual void EndScan() {}
};

// Tells the lister when a scan is over, however it ends.
class ScanScope {
public:
    explicit ScanScope(DirectoryLister& lister) : lister_(lister) {}
    ~ScanScope() { lister_.EndScan(); }
    ScanScope(const ScanScope&) = delete;
    ScanScope& operator=(const ScanScope&) = delete;

private:
    DirectoryLister& lister_;
};

enum class DriveType : unsigned {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

class DriveTypeQuery {
public:
    virtual ~DriveTypeQuery() = default;
    // Type of the root made of `firstUnit` followed by ":\".
    virtual DriveType TypeOfRoot(char16_t firstUnit) = 0;
};

class Lock {
public:
    virtual ~Lock() = default;
    virtual void Acquire() = 0;
    virtual void Release() = 0;
};

class LockGuard {
public:
    explicit LockGuard(Lock& lock) : lock_(lock) { lock_.Acquire(); }
    ~LockGuard() { lock_.Release(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    Lock& lock_;
};

}  // namespace trovelle
