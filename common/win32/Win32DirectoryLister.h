// The core's view of the Windows file system's folders: listings, identities and links.
#pragma once

#include <windows.h>

#include <atomic>
#include <vector>

#include "DirectoryInformation.h"
#include "system/Platform.h"

namespace trovelle {

class Win32DirectoryLister : public DirectoryLister {
public:
    explicit Win32DirectoryLister(DirectoryQuery query = ::GetFileInformationByHandleEx)
        : query_(query) {}

    // Reads lengths and allocation from the folder's directory information; where a file
    // system refuses that, lists with FindFirstFileExW and takes each file to fill whole
    // clusters. No file is ever opened: a cloud file's data stays where it is.
    bool List(const Path& folder, std::vector<DirectoryEntry>& entries) override;
    bool Identify(const Path& folder, FolderIdentity& identity) override;
    bool ResolveLink(const Path& link, Path& target) override;
    bool ExpandShortNames(const Path& path, Path& longPath) override;
    bool IsFolder(const Path& path) override;

    // Folders listed so far, and those of them listed the slower way; debug counters for
    // tests and benchmarks.
    uint64_t ListingCount() const { return listings_.load(); }
    uint64_t FallbackCount() const { return fallbacks_.load(); }
    // From now on every listing fails at once, so running scans end quickly.
    void Cancel() { cancelled_ = true; }
    // Listings on the calling thread first give the processor to any other ready thread: a
    // background scan at normal priority that leaves room for the clients. (At a lower priority
    // a scan preempted while holding the cache lock could keep it from every client on a busy
    // machine: a critical section lends no priority to its holder.)
    static void YieldBeforeEachListingOnThisThread();

private:
    bool ListByName(const std::wstring& folder, std::vector<DirectoryEntry>& entries);

    const DirectoryQuery query_;
    std::atomic<uint64_t> listings_{0};
    std::atomic<uint64_t> fallbacks_{0};
    std::atomic<bool> cancelled_{false};
};

}  // namespace trovelle
