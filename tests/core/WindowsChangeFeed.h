// Changes made to a FakeFileSystem and reported the way Windows' subtree watch on a drive root
// reports them: under the real path (a change made through a link is reported under its target),
// relative to the root, renames as old-name/new-name pairs, a folder's deletion as its contents
// then itself, names now and then in their short form, and a lost batch now and then. c: and d:
// are fixed and watched; e: is removable and reports nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cache/FolderCache.h"
#include "FakeFileSystem.h"

namespace trovelle::testing {

// A number below `bound` (which is at least 1): a seeded generator's, or a fuzzer's input's.
using Chooser = std::function<uint32_t(uint32_t bound)>;

// Records laid out as FILE_NOTIFY_INFORMATION: aligned on DWORDs as Windows writes them, or
// packed as Wine does.
std::vector<uint8_t> EncodeChangeRecords(const std::vector<ChangeRecord>& records, bool aligned);

class WindowsChangeFeed {
public:
    WindowsChangeFeed(FakeFileSystem& fs, Chooser choose);
    static bool Watched(char16_t drive);
    void ShortNamesInRecords(bool on) { shortNames_ = on; }

    // Paths may lead through links; the change happens where they lead.
    void CreateFile(const Path& path, uint64_t size);
    void CreateFolder(const Path& path);
    void CreateLink(const Path& path, const Path& target);
    void Grow(const Path& file, uint64_t size);
    // The file's length stays; its holes are written into or punched.
    void Reallocate(const Path& file, uint64_t allocation);
    void Delete(const Path& path);
    // A rename, a move within a drive, or a move to another drive (copied, then deleted).
    void Move(const Path& from, const Path& to);
    // The drive's records not yet read are lost: its next read reports nothing.
    void Overflow(char16_t drive);

    // Hands every drive's reads to the cache, as batches of at most 4096 bytes.
    void Deliver(FolderCache& cache);
    std::string Pending() const;  // the reads not yet delivered, for a failure's report

private:
    using Read = std::vector<ChangeRecord>;  // an empty read is a lost one
    void Report(uint32_t action, const Path& real);
    void ReportRemoval(const Path& real);
    void ReportAddition(const Path& real);
    Path Spelled(const Path& real);
    void GiveShortName(const Path& real);

    FakeFileSystem& fs_;
    Chooser choose_;
    bool shortNames_ = true;
    std::map<char16_t, std::vector<Read>> reads_;
};

}  // namespace trovelle::testing
