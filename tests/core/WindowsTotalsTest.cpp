// Totals that Windows itself would leave wrong without care: links seen from every side, short
// names in change records, requests for folders that are not there, totals past 2^64 and
// requests no path can be. Changes are reported the way Windows reports them: under the real
// path of what changed, never under a link's.
#include <gtest/gtest.h>

#include <limits>

#include "cache/FolderCache.h"
#include "FakeFileSystem.h"
#include "system/StdLock.h"

namespace trovelle {
namespace {

using testing::FakeFileSystem;

class WindowsTotals : public ::testing::Test {
protected:
    WindowsTotals() {
        fs.SetDriveType(u'c', DriveType::Fixed);
        fs.SetDriveType(u'e', DriveType::Removable);  // not watched: summed on every request
        fs.AddFile(u"C:\\T\\file", 1000);
        fs.AddFile(u"C:\\T\\Sub\\inner", 10);
        fs.AddFile(u"C:\\L\\own", 1);
    }
    uint64_t Ask(const Path& path) { return cache.GetFolderSize(path); }
    void Grow(const Path& file, uint64_t size) {
        fs.SetFileSize(file, size);
        cache.ApplyChange(kActionModified, file);
    }
    void Rename(const Path& from, const Path& to) {
        fs.Rename(from, to);
        cache.ApplyChanges(u"", {{kActionRenamedOldName, from}, {kActionRenamedNewName, to}});
    }

    FakeFileSystem fs;
    StdLock lock;
    FolderCache cache{fs, fs, lock};
};

TEST_F(WindowsTotals, AFolderAskedForThroughALinkOnItsPathFollowsItsTarget) {
    fs.AddFolderLink(u"C:\\L\\link", u"C:\\T");
    EXPECT_EQ(Ask(u"C:\\L\\link"), 1010u);  // nothing above it was measured first
    EXPECT_EQ(Ask(u"C:\\L\\link\\Sub"), 10u);
    Grow(u"C:\\T\\file", 3000);
    Grow(u"C:\\T\\Sub\\inner", 30);
    EXPECT_EQ(Ask(u"C:\\L\\link"), 3030u);
    EXPECT_EQ(Ask(u"C:\\L\\LINK\\sub"), 30u);
    EXPECT_EQ(Ask(u"C:\\L"), 3031u);
}

TEST_F(WindowsTotals, ALinkToAFolderNoChangeReachesIsMeasuredAgainEveryTime) {
    fs.AddFile(u"E:\\X\\f", 100);
    fs.AddFolderLink(u"C:\\L\\toE", u"E:\\X");
    EXPECT_EQ(Ask(u"C:\\L"), 101u);
    EXPECT_EQ(Ask(u"C:\\L\\toE"), 100u);
    fs.SetFileSize(u"E:\\X\\f", 500);  // the removable drive reports nothing
    EXPECT_EQ(Ask(u"C:\\L"), 501u);
    EXPECT_EQ(Ask(u"C:\\L\\toE"), 500u);
}

TEST_F(WindowsTotals, ALinkWhoseAliasDoesNotFitIsNeverStored) {
    FolderCacheOptions options;
    options.aliasCapacity = 1;
    FolderCache small(fs, fs, lock, options);
    fs.AddFolderLink(u"C:\\L\\first", u"C:\\T\\Sub");
    fs.AddFolderLink(u"C:\\L\\second", u"C:\\T");
    EXPECT_EQ(small.GetFolderSize(u"C:\\L"), 1u + 10u + 1010u);
    fs.SetFileSize(u"C:\\T\\file", 2000);
    small.ApplyChange(kActionModified, u"C:\\T\\file");
    EXPECT_EQ(small.GetFolderSize(u"C:\\L"), 1u + 10u + 2010u);
    EXPECT_EQ(small.GetFolderSize(u"C:\\L\\second"), 2010u);
}

TEST_F(WindowsTotals, AFolderAboveALinksTargetRenamedAwayAndBackReachesTheLink) {
    fs.AddFolderLink(u"C:\\L\\link", u"C:\\T\\Sub");
    EXPECT_EQ(Ask(u"C:\\L"), 11u);
    Rename(u"C:\\T", u"C:\\Recycled");  // what sending it to the Recycle Bin looks like
    EXPECT_EQ(Ask(u"C:\\L"), 1u);
    EXPECT_EQ(Ask(u"C:\\L\\link"), 0u);
    Rename(u"C:\\Recycled", u"C:\\T");
    EXPECT_EQ(Ask(u"C:\\L"), 11u);
    fs.Remove(u"C:\\T");
    cache.ApplyChange(kActionRemoved, u"C:\\T");
    EXPECT_EQ(Ask(u"C:\\L"), 1u);
}

TEST_F(WindowsTotals, ShortNamesInRecordsReachTheFoldersTheyName) {
    fs.AddFile(u"C:\\Program Files\\App\\big", 5000);
    fs.AddShortName(u"C:\\PROGRA~1", u"C:\\Program Files");
    EXPECT_EQ(Ask(u"C:\\Program Files"), 5000u);
    fs.SetFileSize(u"C:\\Program Files\\App\\big", 7000);
    cache.ApplyChange(kActionModified, u"C:\\PROGRA~1\\App\\big");
    EXPECT_EQ(Ask(u"C:\\Program Files"), 7000u);

    // An item named by a short name that is gone can only be placed in its folder.
    fs.Remove(u"C:\\Program Files\\App");
    cache.ApplyChange(kActionRemoved, u"C:\\Program Files\\APP~1");
    EXPECT_EQ(Ask(u"C:\\Program Files"), 0u);
}

TEST_F(WindowsTotals, AskingForFoldersThatAreNotThereLeavesTheFoldersAboveAlone) {
    EXPECT_EQ(Ask(u"C:"), 1011u);
    for (const Path& missing : {u"C:\\T\\Nowhere", u"C:\\T\\Sub\\No\\Deeper", u"C:\\L\\own"}) {
        EXPECT_EQ(Ask(missing), 0u) << "a file or a missing folder";
    }
    fs.ResetCounts();
    EXPECT_EQ(Ask(u"C:"), 1011u);
    EXPECT_EQ(fs.TotalListings(), 0) << "nothing above a missing folder was made stale";
}

TEST_F(WindowsTotals, TotalsStopAtTheLargestValue) {
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    fs.AddFile(u"C:\\Huge\\a", kMax / 2);
    fs.AddFile(u"C:\\Huge\\b", kMax / 2);
    fs.AddFile(u"C:\\Huge\\Sub\\c", kMax / 2);
    EXPECT_EQ(Ask(u"C:\\Huge"), kMax);
    EXPECT_EQ(Ask(u"C:"), kMax) << "a sum of capped totals stays capped";
    EXPECT_EQ(cache.SumFolder(u"C:\\Huge"), (ByteTotals{kMax, kMax}));
}

TEST_F(WindowsTotals, ARequestLongerThanAnyPathIsAnsweredWithoutListing) {
    Path tooLong = u"C:\\T\\";
    while (tooLong.size() <= 32767) tooLong += u"a\\";
    fs.ResetCounts();
    EXPECT_EQ(Ask(tooLong), 0u);
    EXPECT_EQ(fs.TotalListings(), 0);
    EXPECT_EQ(cache.IndexNodeCount(), 0u);
}

}  // namespace
}  // namespace trovelle
