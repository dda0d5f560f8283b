// The core's view of the Windows file system: folder listings and drive types.
#pragma once

#include <atomic>
#include <vector>

#include "system/Platform.h"

namespace trovelle {

class Win32DirectoryLister : public DirectoryLister {
public:
    bool List(const Path& folder, std::vector<DirectoryEntry>& entries) override;
    bool Identify(const Path& folder, FolderIdentity& identity) override;
    bool ResolveLink(const Path& link, Path& target) override;
    bool ExpandShortNames(const Path& path, Path& longPath) override;
    bool IsFolder(const Path& path) override;

    // Folders listed so far; a debug counter for tests and benchmarks.
    uint64_t ListingCount() const { return listings_.load(); }
    // From now on every listing fails at once, so running scans end quickly.
    void Cancel() { cancelled_ = true; }
    // Listings on the calling thread first give the processor to any other ready thread: a
    // background scan at normal priority that leaves room for the clients. (At a lower priority
    // a scan preempted while holding the cache lock could keep it from every client on a busy
    // machine: a critical section lends no priority to its holder.)
    static void YieldBeforeEachListingOnThisThread();

private:
    std::atomic<uint64_t> listings_{0};
    std::atomic<bool> cancelled_{false};
};

// "x:\\": the root folder of the drive with the letter `letter`.
std::wstring DriveRoot(wchar_t letter);

// The system's type of the drive with the letter `letter`.
DriveType DriveTypeOf(wchar_t letter);

class Win32DriveTypes : public DriveTypeQuery {
public:
    DriveType TypeOfRoot(char16_t firstUnit) override;
};

// The letters (a to z) whose root the system reports as a fixed drive, in order.
std::vector<wchar_t> FixedDriveLetters();

// Whether this process runs under Wine, whose change notifications have gaps of their own.
bool RunningUnderWine();

// Whether the folder holds no entry; false when it cannot be listed.
bool IsEmptyFolder(const std::wstring& folder);

// The form of `path` that the file APIs open exactly as named, at any length up to the
// system's limit: a canonical drive path ("x:\\name\\name") always gets the long-path prefix,
// other forms only when they no longer fit the classic limit.
std::wstring LongPathForm(const std::wstring& path);

}  // namespace trovelle
