// A cold measurement on several threads: helpers walk whole subtrees below the path that leads
// to them, and what they measure and keep must be what one thread would.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "FakeFileSystem.h"
#include "FolderCache.h"
#include "StdLock.h"

namespace trovelle {
namespace {

using testing::FakeFileSystem;

FolderCacheOptions Threads(unsigned count) {
    FolderCacheOptions options;
    options.scanThreads = count;
    return options;
}

// Waits, at most a few seconds, until `flag` is set: long enough for a helper to begin.
void WaitFor(const std::atomic<bool>& flag) {
    for (int wait = 0; wait < 500 && !flag; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// The walk keeps its first subfolder busy until a helper has begun the second: the helper's
// walk starts below folders it never entered, and must still close loops against them.
TEST(ParallelScan, AHelpersSubtreeClosesLoopsAgainstThePathAboveItAndIsKept) {
    FakeFileSystem fs;
    fs.SetDriveType(u'c', DriveType::Fixed);
    fs.AddFile(u"C:\\Top\\A\\a.txt", 10);
    fs.AddFile(u"C:\\Top\\B\\Deep\\b.txt", 200);
    fs.AddFolderLink(u"C:\\Top\\B\\Deep\\toTop", u"C:\\Top");
    fs.AddFolderLink(u"C:\\Top\\B\\Deep\\toB", u"C:\\Top\\B");
    fs.AddFolderLink(u"C:\\Top\\B\\out", u"C:\\Out");
    fs.AddFile(u"C:\\Out\\o.txt", 3000);
    StdLock lock;
    FolderCache cache(fs, fs, lock, Threads(2));
    std::atomic<bool> helperBegan{false};
    fs.OnNextListing(u"C:\\Top\\B", [&] { helperBegan = true; });
    fs.OnNextListing(u"C:\\Top\\A", [&] { WaitFor(helperBegan); });

    EXPECT_EQ(cache.GetFolderSize(u"C:\\Top"), 3210u);
    EXPECT_TRUE(helperBegan) << "no helper walked C:\\Top\\B";
    EXPECT_EQ(fs.LinkedTotal(u"C:\\Top"), 3210u);
    fs.ResetCounts();
    EXPECT_EQ(cache.GetFolderSize(u"C:\\Top\\B"), 3200u);
    EXPECT_EQ(cache.GetFolderSize(u"C:\\Top"), 3210u);
    EXPECT_EQ(fs.TotalListings(), 0) << "what the helper measured was kept";

    // A change inside the helper's subtree reaches the folders above it like any other.
    fs.SetFileSize(u"C:\\Top\\B\\Deep\\b.txt", 5);
    cache.ApplyChange(kActionModified, u"C:\\Top\\B\\Deep\\b.txt");
    EXPECT_EQ(cache.GetFolderSize(u"C:\\Top"), 3015u);
}

// Random trees with links anywhere (but in no cycle): every folder's answer, first measured
// or kept, is the same on one thread and on several, and equals the reference sum. (Several
// threads may keep more: a folder reached through links in two subtrees is kept under both.)
TEST(ParallelScan, EveryFolderAnswersAlikeOnOneThreadAndOnSeveral) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 40; ++round) {
        FakeFileSystem fs;
        fs.SetDriveType(u'c', DriveType::Fixed);
        std::vector<Path> folders{u"C:\\R"};
        fs.AddFolder(u"C:\\R");
        const auto pick = [&] {
            return folders[std::uniform_int_distribution<size_t>(0, folders.size() - 1)(random)];
        };
        for (int item = 0; item < 120; ++item) {
            const Path name = std::u16string(1, static_cast<char16_t>(u'a' + item % 26)) +
                              std::u16string(1, static_cast<char16_t>(u'a' + item / 26));
            const int kind = static_cast<int>(random() % 8);
            if (kind < 3) {
                folders.push_back(pick() + u"\\" + name);
                fs.AddFolder(folders.back());
            } else if (kind == 3) {
                // Totals through a cycle of links depend on where it is entered: none is made.
                const Path link = pick() + u"\\" + name;
                fs.AddFolderLink(link, pick());
                if (fs.HasLinkCycle()) fs.Remove(link);
            } else {
                fs.AddFile(pick() + u"\\" + name, random() % 1000);
            }
        }
        StdLock oneLock;
        StdLock severalLock;
        FolderCache one(fs, fs, oneLock, Threads(1));
        FolderCache several(fs, fs, severalLock, Threads(4));
        const uint64_t total = one.GetFolderSize(u"C:\\R");
        ASSERT_EQ(several.GetFolderSize(u"C:\\R"), total) << "round " << round;
        EXPECT_EQ(total, fs.LinkedTotal(u"C:\\R")) << "round " << round;
        for (const Path& folder : folders) {
            EXPECT_EQ(several.GetFolderSize(folder), one.GetFolderSize(folder)) << "round " << round;
        }
    }
}

}  // namespace
}  // namespace trovelle
