// The ways a cached total could go wrong: races across a node's lifetime, folders that cannot be
// listed, links, and changes that Wine reports under a renamed folder's old path.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cache/FolderCache.h"
#include "FakeFileSystem.h"
#include "index/FolderKey.h"
#include "system/StdLock.h"

namespace trovelle {
namespace {

using testing::FakeFileSystem;

class CacheHazards : public ::testing::Test {
protected:
    explicit CacheHazards(FolderCacheOptions options = {}) : cache(fs, fs, lock, options) {
        fs.SetDriveType(u'c', DriveType::Fixed);
        fs.AddFile(u"C:\\A\\f", 100);
        fs.AddFile(u"C:\\A\\B\\g", 20);
        fs.AddFile(u"C:\\A\\B\\C\\h", 3);
    }
    uint64_t Ask(const Path& path) { return cache.GetFolderSize(path); }
    const FolderNode* Node(const Path& path) {
        const Path key = FoldedKey(path);
        const FolderNode* found = nullptr;
        cache.VisitLocked([&](const CachedFolderView& folder) {
            if (folder.key == key) found = &folder.node;
        });
        return found;
    }

    FakeFileSystem fs;
    StdLock lock;
    FolderCache cache;
};

TEST_F(CacheHazards, AResetDuringAListingNeverStoresTheOldTotalIntoTheNewNode) {
    EXPECT_EQ(Ask(u"C:\\A"), 123u);
    fs.SetFileSize(u"C:\\A\\B\\g", 50);
    cache.ApplyChange(kActionModified, u"C:\\A\\B\\g");
    // While B is listed again, the cache is reset and another client measures B afresh
    // (its new node starts its life while the old scan still runs); then g changes again.
    fs.OnNextListing(u"C:\\A\\B", [&] {
        cache.Reset();
        fs.SetFileSize(u"C:\\A\\B\\g", 70);
        EXPECT_EQ(Ask(u"C:\\A\\B"), 73u);
    });
    Ask(u"C:\\A");
    EXPECT_EQ(Ask(u"C:\\A\\B"), 73u) << "the old scan's total was stored over the new node";
    EXPECT_EQ(Ask(u"C:\\A"), 173u);
}

TEST_F(CacheHazards, ARemovalAndReCreationDuringAListingNeverStoresTheOldTotal) {
    EXPECT_EQ(Ask(u"C:\\A"), 123u);
    cache.ApplyChange(kActionModified, u"C:\\A\\B\\C\\h");
    fs.OnNextListing(u"C:\\A\\B\\C", [&] {
        fs.Remove(u"C:\\A\\B\\C");
        cache.ApplyChange(kActionRemoved, u"C:\\A\\B\\C");
        fs.AddFile(u"C:\\A\\B\\C\\new", 4000);
        cache.ApplyChange(kActionAdded, u"C:\\A\\B\\C");
        EXPECT_EQ(Ask(u"C:\\A\\B\\C"), 4000u);  // a new node, made while the old scan lists
    });
    Ask(u"C:\\A\\B");
    EXPECT_EQ(Ask(u"C:\\A\\B\\C"), 4000u);
    EXPECT_EQ(Ask(u"C:\\A"), 4120u);
}

TEST_F(CacheHazards, TotalsHoldingAnUnlistableFolderStayProvisional) {
    fs.SetUnlistable(u"C:\\A\\B\\C", true);
    EXPECT_EQ(Ask(u"C:\\A"), 120u);
    EXPECT_EQ(Node(u"C:\\A\\B\\C"), nullptr);
    fs.ResetCounts();
    EXPECT_EQ(Ask(u"C:\\A"), 120u);
    EXPECT_EQ(fs.TotalListings(), 3) << "the path to the unlistable folder, and nothing else";
    EXPECT_EQ(fs.Listings(u"C:\\A\\B\\C"), 1);

    fs.SetUnlistable(u"C:\\A\\B\\C", false);  // access comes back; no change record arrives
    EXPECT_EQ(Ask(u"C:\\A"), 123u);
    fs.ResetCounts();
    EXPECT_EQ(Ask(u"C:\\A"), 123u);
    EXPECT_EQ(fs.TotalListings(), 0) << "once everything was listed the total is final";
}

TEST_F(CacheHazards, AChangeUnderALinksTargetReachesTheFolderHoldingTheLink) {
    fs.AddFile(u"C:\\T\\file", 1000);
    fs.AddFolderLink(u"C:\\L\\link", u"C:\\T");
    fs.AddFile(u"C:\\L\\T2\\x", 1);
    EXPECT_EQ(Ask(u"C:\\L"), 1001u);
    EXPECT_EQ(Ask(u"C:\\L\\link"), 1000u);

    fs.SetFileSize(u"C:\\T\\file", 3000);
    cache.ApplyChange(kActionModified, u"C:\\T\\file");  // reported under the target only
    EXPECT_EQ(Ask(u"C:\\L"), 3001u);
    EXPECT_EQ(Ask(u"C:\\L\\link"), 3000u);

    fs.AddFile(u"C:\\T\\sub\\deeper", 5);
    cache.ApplyChange(kActionAdded, u"C:\\T\\sub");
    EXPECT_EQ(Ask(u"C:\\L"), 3006u);
}

TEST_F(CacheHazards, AFolderAndALinkToItInOneFolderAreBothCountedAndChangeTogether) {
    fs.AddFile(u"C:\\P\\real\\file", 1000);
    fs.AddFolderLink(u"C:\\P\\link", u"C:\\P\\real");
    EXPECT_EQ(Ask(u"C:\\P"), 2000u);
    fs.SetFileSize(u"C:\\P\\real\\file", 3000);
    cache.ApplyChange(kActionModified, u"C:\\P\\real\\file");
    EXPECT_EQ(Ask(u"C:\\P"), 6000u);
}

TEST_F(CacheHazards, ALatticeOfLinksIsListedOncePerFolder) {
    constexpr int kLevels = 30;
    auto level = [](int n) { return u"C:\\Lattice\\" + Path(1, u'a' + n / 26) + Path(1, u'a' + n % 26); };
    for (int n = 0; n <= kLevels; ++n) {
        fs.AddFile(level(n) + u"\\f", 1);
        if (n < kLevels) {
            fs.AddFolderLink(level(n) + u"\\x", level(n + 1));
            fs.AddFolderLink(level(n) + u"\\y", level(n + 1));
        }
    }
    // Level n holds one byte plus two links to level n+1: 2^(30-n+1) - 1 bytes in all.
    fs.ResetCounts();
    EXPECT_EQ(Ask(level(0)), (uint64_t{1} << (kLevels + 1)) - 1);
    EXPECT_LE(fs.TotalListings(), kLevels + 1);
    EXPECT_EQ(Ask(u"C:\\Lattice"), 0u + Ask(level(0)) + Ask(level(1)) * 1 + [&] {
        uint64_t rest = 0;
        for (int n = 2; n <= kLevels; ++n) rest += (uint64_t{1} << (kLevels - n + 1)) - 1;
        return rest;
    }());

    fs.ResetCounts();
    EXPECT_EQ(cache.SumFolder(level(0)).bytes, (uint64_t{1} << (kLevels + 1)) - 1) << "summed alike";
    EXPECT_LE(fs.TotalListings(), kLevels + 1);

    fs.SetFileSize(level(kLevels) + u"\\f", 2);
    cache.ApplyChange(kActionModified, level(kLevels) + u"\\f");
    EXPECT_EQ(Ask(level(0)), (uint64_t{1} << (kLevels + 1)) - 1 + (uint64_t{1} << kLevels));
}

class WineRenames : public CacheHazards {
protected:
    WineRenames() : CacheHazards(FolderCacheOptions{true, 8}) {}
};

TEST_F(WineRenames, AfterAFolderRenameEveryBatchMakesTheWholeDriveStale) {
    fs.AddFile(u"C:\\Other\\x", 1);
    EXPECT_EQ(Ask(u"C:\\A"), 123u);
    EXPECT_EQ(Ask(u"C:\\Other"), 1u);
    fs.Rename(u"C:\\A\\B\\g", u"C:\\A\\B\\g2");  // a file rename changes nothing here
    cache.ApplyChanges(u"c:\\", {{kActionRenamedOldName, u"A\\B\\g"}, {kActionRenamedNewName, u"A\\B\\g2"}});
    EXPECT_EQ(Ask(u"C:\\A"), 123u);
    cache.ApplyChanges(u"c:\\", {{kActionModified, u"Other\\x"}});
    EXPECT_TRUE(Node(u"C:\\A")->IsValid()) << "a renamed file raises no distrust";

    fs.Rename(u"C:\\A\\B", u"C:\\A\\Y");
    cache.ApplyChanges(u"c:\\", {{kActionRenamedOldName, u"A\\B"}, {kActionRenamedNewName, u"A\\Y"}});
    EXPECT_EQ(Ask(u"C:\\A"), 123u);
    EXPECT_EQ(Ask(u"C:\\Other"), 1u);
    // Wine reports a change in Y under a path that says nothing about Y.
    fs.SetFileSize(u"C:\\A\\Y\\C\\h", 9);
    cache.ApplyChanges(u"c:\\", {{kActionModified, u"Somewhere\\else"}});
    EXPECT_FALSE(Node(u"C:\\Other")->IsValid());
    EXPECT_EQ(Ask(u"C:\\A"), 129u);
    EXPECT_EQ(Ask(u"C:\\A\\Y"), 29u);

    fs.AddFile(u"D:\\Elsewhere\\z", 5);
    fs.SetDriveType(u'd', DriveType::Fixed);
    EXPECT_EQ(Ask(u"D:\\Elsewhere"), 5u);
    cache.ApplyChanges(u"d:\\", {{kActionModified, u"Somewhere\\else"}});
    EXPECT_TRUE(Node(u"D:\\Elsewhere")->IsValid()) << "other drives are not concerned";
}

TEST_F(WineRenames, ACachedFolderRenamedOnBeforeItsRecordsArriveIsStillKnownAsAFolder) {
    EXPECT_EQ(Ask(u"C:\\A"), 123u);
    fs.Rename(u"C:\\A\\B", u"C:\\Gone");  // by the time the records arrive, Y is gone again
    cache.ApplyChanges(u"c:\\", {{kActionRenamedOldName, u"A\\B"}, {kActionRenamedNewName, u"A\\Y"}});
    EXPECT_EQ(Ask(u"C:\\A"), 100u);
    cache.ApplyChanges(u"c:\\", {{kActionModified, u"Somewhere\\else"}});
    EXPECT_FALSE(Node(u"C:\\A")->IsValid()) << "the drive is distrusted";
}

TEST_F(WineRenames, ADriveThatIsStaleAlreadyIsNotWalkedAgainForEveryBatch) {
    EXPECT_EQ(Ask(u"C:\\A"), 123u);
    fs.Rename(u"C:\\A\\B", u"C:\\A\\Y");
    cache.ApplyChanges(u"c:\\", {{kActionRenamedOldName, u"A\\B"}, {kActionRenamedNewName, u"A\\Y"}});
    const uint64_t before = cache.Counters().staleDrives.load();
    for (int batch = 0; batch < 5; ++batch) cache.ApplyChanges(u"c:\\", {{kActionModified, u"x"}});
    EXPECT_EQ(cache.Counters().staleDrives.load(), before + 5);
    EXPECT_EQ(Ask(u"C:\\A"), 123u);
    cache.ApplyChanges(u"c:\\", {{kActionModified, u"x"}});
    EXPECT_FALSE(Node(u"C:\\A")->IsValid()) << "a total stored since is made stale again";
}

}  // namespace
}  // namespace trovelle

namespace trovelle {
namespace {

uint64_t g_fakeNow = 0;
uint64_t FakeClock() { return g_fakeNow; }

class NewFolderSettling : public CacheHazards {
protected:
    NewFolderSettling() : CacheHazards(FolderCacheOptions{false, 8, 1000, &FakeClock}) {
        g_fakeNow = 5000;
    }
};

TEST_F(NewFolderSettling, ANewFolderIsListedAgainUntilItHasSettled) {
    EXPECT_EQ(Ask(u"C:\\A"), 123u);
    fs.AddFolder(u"C:\\A\\New\\Nested");
    cache.ApplyChange(kActionAdded, u"C:\\A\\New");  // the nested folder goes unreported
    EXPECT_EQ(Ask(u"C:\\A"), 123u);
    fs.AddFile(u"C:\\A\\New\\Nested\\late", 50);    // Wine may never report this one
    g_fakeNow += 500;
    EXPECT_EQ(Ask(u"C:\\A"), 173u) << "still settling: listed again";
    ASSERT_NE(Node(u"C:\\A\\New\\Nested"), nullptr);
    EXPECT_FALSE(Node(u"C:\\A\\New\\Nested")->IsValid()) << "nothing below it is final yet";
    g_fakeNow += 600;
    EXPECT_EQ(Ask(u"C:\\A"), 173u);
    fs.ResetCounts();
    EXPECT_EQ(Ask(u"C:\\A"), 173u);
    EXPECT_EQ(fs.TotalListings(), 0) << "settled: final";
}

TEST_F(CacheHazards, AnAddedRecordForAFolderAScanAlreadyStoredMakesItStale) {
    fs.AddFolder(u"C:\\A\\Raced");
    EXPECT_EQ(Ask(u"C:\\A"), 123u);  // the scan met the folder before its record arrived
    fs.AddFile(u"C:\\A\\Raced\\f", 9);
    cache.ApplyChange(kActionAdded, u"C:\\A\\Raced");
    EXPECT_EQ(Ask(u"C:\\A"), 132u);
}

// The cache lock, with a hook run once on the applying thread right after it lets the lock go.
class LockWithHook : public StdLock {
public:
    void Release() override {
        StdLock::Release();
        if (std::function<void()> hook = std::exchange(afterRelease, nullptr)) hook();
    }
    std::function<void()> afterRelease;
};

TEST(ChangeBatches, AClientIsAnsweredWhileALongBatchIsApplied) {
    FakeFileSystem fs;
    LockWithHook lock;
    FolderCache cache(fs, fs, lock);
    fs.SetDriveType(u'c', DriveType::Fixed);
    fs.AddFile(u"C:\\Quiet\\f", 100);
    fs.AddFile(u"C:\\Last\\f", 7);
    ASSERT_EQ(cache.GetFolderSize(u"C:\\Quiet"), 100u);
    ASSERT_EQ(cache.GetFolderSize(u"C:\\Last"), 7u);

    // 50,000 records; only the last one reaches C:\Last.
    std::vector<ChangeRecord> records;
    for (int i = 0; i < 49999; ++i) {
        Path name = u"Busy\\f";
        for (const char digit : std::to_string(i)) name += static_cast<char16_t>(digit);
        records.push_back({kActionModified, name});
    }
    records.push_back({kActionModified, u"Last\\f"});
    fs.SetFileSize(u"C:\\Last\\f", 9);

    uint64_t answered = 0;
    bool batchWasOver = true;
    lock.afterRelease = [&] {
        std::thread client([&] { answered = cache.GetFolderSize(u"C:\\Quiet"); });
        client.join();
        batchWasOver = cache.GetFolderSize(u"C:\\Last") == 9u;
    };
    cache.ApplyChanges(u"C:\\", records);
    EXPECT_EQ(answered, 100u);
    EXPECT_FALSE(batchWasOver) << "the client waited for the whole batch";
    EXPECT_EQ(cache.GetFolderSize(u"C:\\Last"), 9u) << "and the batch still applies whole";
}

}  // namespace
}  // namespace trovelle

namespace trovelle {
namespace {

TEST_F(CacheHazards, AFolderCachedOnItsOwnGoesWithAFolderAboveIt) {
    EXPECT_EQ(Ask(u"C:\\A\\B\\C"), 3u);  // asked before anything above it: a node of its own
    fs.Rename(u"C:\\A\\B", u"C:\\Away");
    cache.ApplyChange(kActionRenamedOldName, u"C:\\A\\B");
    fs.AddFile(u"C:\\A\\B\\C\\other", 5);  // another folder takes the old place
    cache.ApplyChange(kActionAdded, u"C:\\A\\B");
    EXPECT_EQ(Ask(u"C:\\A\\B\\C"), 5u);
    EXPECT_EQ(Ask(u"C:\\Away\\C"), 3u);
}

TEST_F(CacheHazards, ARenamedOrReCreatedFolderNeverAnswersFromItsOldSubtree) {
    EXPECT_EQ(Ask(u"C:"), 123u);
    fs.Rename(u"C:\\A", u"C:\\Z");
    cache.ApplyChange(kActionRenamedOldName, u"C:\\A");
    cache.ApplyChange(kActionRenamedNewName, u"C:\\Z");
    EXPECT_EQ(Ask(u"C:\\z\\b"), 23u);
    EXPECT_EQ(Ask(u"C:\\Z\\B\\C"), 3u);

    // A folder of the old name again, spelt otherwise, with other content.
    fs.AddFile(u"C:\\a\\b\\c\\x", 7);
    cache.ApplyChange(kActionAdded, u"C:\\a");
    EXPECT_EQ(Ask(u"C:\\A\\B\\C"), 7u);
    EXPECT_EQ(Ask(u"C:"), 130u);

    // Removed and made again, empty, under the same name.
    fs.Remove(u"C:\\Z");
    cache.ApplyChange(kActionRemoved, u"C:\\Z");
    fs.AddFolder(u"C:\\Z");
    cache.ApplyChange(kActionAdded, u"C:\\Z");
    EXPECT_EQ(Ask(u"C:\\Z\\B"), 0u);
    EXPECT_EQ(Ask(u"C:\\Z"), 0u);
    EXPECT_EQ(Ask(u"C:"), 7u);
    EXPECT_EQ(Node(u"C:\\Z\\B"), nullptr);
    EXPECT_EQ(cache.IndexNodeCount(), cache.CachedFolderCount()) << "no place kept for nothing";
}

}  // namespace
}  // namespace trovelle
