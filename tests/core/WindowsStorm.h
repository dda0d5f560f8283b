// A randomized storm of file system changes on three drives, reported through WindowsChangeFeed,
// with requests in every spelling; after each round every answer and every valid cached total is
// compared with the file system's own sum. Driven by a chooser: a seeded generator in the native
// test, a fuzzer's bytes in the fuzz target.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cache/FolderCache.h"
#include "FakeFileSystem.h"
#include "system/StdLock.h"
#include "WindowsChangeFeed.h"

namespace trovelle::testing {

// Kinds of change the storm may make; each can be left out to tell faults apart.
struct StormOptions {
    bool linksToRemovable = true;    // links from the watched drives to e:
    bool shortNamesInRecords = true;
    bool linkPathRequests = true;    // requests and changes through link paths
    bool missingRequests = true;     // requests for folders that do not exist
    bool targetsAway = true;         // link targets and folders above them renamed away and back
    bool overflows = true;
    bool aboveTargets = true;        // folders at or above link targets deleted, renamed, moved
    unsigned scanThreads = 0;        // as the cache's option: 0 is one per core
};

class WindowsStorm {
public:
    explicit WindowsStorm(Chooser choose, StormOptions options = {});

    // One round: a few changes (with requests made before their records arrive), the records
    // delivered, then the checks. Returns a description of the first mismatch, or nothing.
    std::optional<std::string> Round();
    // What the last round did, one line each.
    const std::vector<std::string>& Operations() const { return log_; }

private:
    std::vector<FakeFileSystem::Listed> Pick(bool folders, bool links, bool files);
    Path PickFolder(bool anyDrive);
    Path NewName(bool file);
    Path ThroughLink(const Path& real);
    Path Spelling(const Path& real);
    bool MakesCycle(const Path& from, const Path& to);
    bool HoldsLinkTarget(const Path& folder);
    void Change();
    std::optional<std::string> Ask(const Path& real);
    std::optional<std::string> CheckCache();

    Chooser choose_;
    StormOptions options_;
    FakeFileSystem fs_;
    StdLock lock_;
    std::unique_ptr<FolderCache> cache_;
    WindowsChangeFeed feed_;
    std::vector<std::pair<Path, Path>> away_;  // folder renamed away -> its name before
    std::vector<Path> gone_;                   // folders deleted or moved away
    std::vector<std::string> log_;
    uint32_t names_ = 0;
};

}  // namespace trovelle::testing
