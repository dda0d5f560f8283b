// A cold measurement on several threads: helpers walk whole subtrees below the path that leads
// to them, and what they measure and keep must be what one thread would.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <random>
#include <thread>
#include <vector>

#include "cache/FolderCache.h"
#include "FakeFileSystem.h"
#include "system/StdLock.h"

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
    EXPECT_EQ(fs.LinkedTotal(u"C:\\Top").bytes, 3210u);
    fs.ResetCounts();
    EXPECT_EQ(cache.GetFolderSize(u"C:\\Top\\B"), 3200u);
    EXPECT_EQ(cache.GetFolderSize(u"C:\\Top"), 3210u);
    EXPECT_EQ(fs.TotalListings(), 0) << "what the helper measured was kept";

    // A change inside the helper's subtree reaches the folders above it like any other.
    fs.SetFileSize(u"C:\\Top\\B\\Deep\\b.txt", 5);
    cache.ApplyChange(kActionModified, u"C:\\Top\\B\\Deep\\b.txt");
    EXPECT_EQ(cache.GetFolderSize(u"C:\\Top"), 3015u);
}

// A walk that runs out of memory while a helper is inside one of its subtrees: the request
// fails, the helper is waited for before the walk's keeper goes (the sanitized build sees a use
// after it went), the subtree nobody began is not walked for a walk that is gone, and the next
// request answers right.
TEST(ParallelScan, AWalkThatFailsWaitsForItsHelperAndLeavesTheCacheWhole) {
    FakeFileSystem fs;
    fs.SetDriveType(u'c', DriveType::Fixed);
    fs.AddFile(u"C:\\Top\\A\\a.txt", 1);
    fs.AddFile(u"C:\\Top\\B\\b.txt", 20);
    fs.AddFile(u"C:\\Top\\C\\Deep\\c.txt", 300);
    StdLock lock;
    FolderCache cache(fs, fs, lock, Threads(2));
    std::atomic<bool> helperBegan{false};
    // Helpers take the newest offer: C, whose walk is still going when the walk fails.
    fs.OnNextListing(u"C:\\Top\\C", [&] {
        helperBegan = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    });
    fs.OnNextListing(u"C:\\Top\\A", [&] {
        WaitFor(helperBegan);
        throw std::bad_alloc();
    });

    EXPECT_THROW(cache.GetFolderSize(u"C:\\Top"), std::bad_alloc);
    EXPECT_TRUE(helperBegan) << "no helper walked C:\\Top\\C";
    EXPECT_EQ(fs.Listings(u"C:\\Top\\B"), 0) << "B was walked for a walk that had ended";
    EXPECT_EQ(cache.GetFolderSize(u"C:\\Top"), 321u);
}

// Requests on several threads at once share the cache's helpers: each is answered with its
// own tree's total, and what one keeps is right for the others.
TEST(ParallelScan, ConcurrentColdRequestsShareTheHelpersAndAnswerTheirOwnTotals) {
    FakeFileSystem fs;
    fs.SetDriveType(u'c', DriveType::Fixed);
    constexpr int kRequests = 6;
    const auto topOf = [](int tree) {
        return u"C:\\T" + Path(1, static_cast<char16_t>(u'0' + tree));
    };
    for (int tree = 0; tree < kRequests; ++tree) {
        const Path top = topOf(tree);
        for (int sub = 0; sub < 8; ++sub) {
            const Path folder = top + u"\\s" + Path(1, static_cast<char16_t>(u'a' + sub));
            for (int deep = 0; deep < 4; ++deep) {
                fs.AddFile(folder + u"\\d" + Path(1, static_cast<char16_t>(u'a' + deep)) + u"\\f",
                           static_cast<uint64_t>(tree + 1) * 1000 + sub * 10 + deep);
            }
        }
    }
    StdLock lock;
    FolderCache cache(fs, fs, lock, Threads(3));
    std::vector<ByteTotals> answers(kRequests);
    std::vector<std::thread> requests;
    for (int tree = 0; tree < kRequests; ++tree) {
        requests.emplace_back([&, tree] {
            answers[tree] = cache.GetFolderSizes(topOf(tree)).totals;
        });
    }
    for (std::thread& request : requests) request.join();
    for (int tree = 0; tree < kRequests; ++tree) {
        const Path top = topOf(tree);
        EXPECT_EQ(answers[tree], fs.LinkedTotal(top)) << "tree " << tree;
        EXPECT_EQ(cache.GetFolderSizes(top + u"\\sc").totals, fs.LinkedTotal(top + u"\\sc"));
    }
    fs.ResetCounts();
    EXPECT_EQ(cache.GetFolderSizes(u"C:\\").totals, fs.LinkedTotal(u"C:\\"));
    EXPECT_EQ(fs.TotalListings(), 1) << "only the root was listed: every tree below was kept";
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
        const ByteTotals total = one.GetFolderSizes(u"C:\\R").totals;
        ASSERT_EQ(several.GetFolderSizes(u"C:\\R").totals, total) << "round " << round;
        EXPECT_EQ(total, fs.LinkedTotal(u"C:\\R")) << "round " << round;
        for (const Path& folder : folders) {
            EXPECT_EQ(several.GetFolderSize(folder), one.GetFolderSize(folder)) << "round " << round;
        }
    }
}

}  // namespace
}  // namespace trovelle
