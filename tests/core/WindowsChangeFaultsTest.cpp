// Ways to a total that stays wrong on Windows, found by the Windows storm: each change reaches the
// cache as Windows' watch reports it, with no Wine defence on.
#include <gtest/gtest.h>

#include "cache/FolderCache.h"
#include "FakeFileSystem.h"
#include "system/StdLock.h"
#include "WindowsChangeFeed.h"

namespace trovelle {
namespace {

using testing::FakeFileSystem;
using testing::WindowsChangeFeed;

class WindowsChangeFaults : public ::testing::Test {
protected:
    WindowsChangeFaults() {
        feed.CreateFile(u"c:\\t\\sub\\a.bin", 1000);
        feed.CreateFile(u"c:\\l\\readme", 5);
        feed.CreateFile(u"e:\\Photos\\e1.jpg", 800);
        feed.CreateFolder(u"c:\\Documents Archive");
        feed.CreateFile(u"c:\\Documents Archive\\Report.docx", 300);
        feed.CreateFile(u"d:\\x\\k.bin", 7);
        feed.Deliver(cache);
    }
    uint64_t Ask(const Path& path) { return cache.GetFolderSize(path); }
    // Made before anything below it is measured, so its records change nothing.
    void MakeLink(const Path& link, const Path& target) {
        feed.CreateLink(link, target);
        feed.Deliver(cache);
    }

    FakeFileSystem fs;
    bool shortNames = false;  // whether records name items by their short names where they have one
    WindowsChangeFeed feed{fs, [this](uint32_t bound) { return shortNames ? 0 : 1 % bound; }};
    StdLock lock;
    FolderCache cache{fs, fs, lock};
};

TEST_F(WindowsChangeFaults, AFolderAskedThroughALinkOnItsPathFollowsItsTarget) {
    MakeLink(u"c:\\l\\link", u"c:\\t");
    EXPECT_EQ(Ask(u"c:\\l\\link"), 1000u);
    EXPECT_EQ(Ask(u"c:\\l\\link\\sub"), 1000u);
    feed.Grow(u"c:\\l\\link\\sub\\a.bin", 3000);  // reported under c:\t\sub
    feed.Deliver(cache);
    EXPECT_EQ(Ask(u"c:\\l\\link\\sub"), 3000u);
    EXPECT_EQ(Ask(u"c:\\l\\link"), 3000u);
    EXPECT_EQ(Ask(u"c:\\l"), 3005u);
}

TEST_F(WindowsChangeFaults, ALinkToAnUnwatchedDriveIsMeasuredAgainEveryTime) {
    MakeLink(u"c:\\l\\usb", u"e:\\Photos");
    EXPECT_EQ(Ask(u"c:\\l"), 805u);
    feed.Grow(u"e:\\Photos\\e1.jpg", 5000);  // e: reports nothing
    feed.Deliver(cache);
    EXPECT_EQ(Ask(u"c:\\l\\usb"), 5000u);
    EXPECT_EQ(Ask(u"c:\\l"), 5005u);
}

TEST_F(WindowsChangeFaults, AFolderAboveALinksTargetRenamedAwayAndBackReachesTheLink) {
    MakeLink(u"c:\\l\\link", u"c:\\t\\sub");
    EXPECT_EQ(Ask(u"c:\\l"), 1005u);
    feed.Move(u"c:\\t", u"c:\\t away");  // to the Recycle Bin, say
    feed.Deliver(cache);
    EXPECT_EQ(Ask(u"c:\\l"), 5u) << "the link leads nowhere now";
    feed.Move(u"c:\\t away", u"c:\\t");
    feed.Deliver(cache);
    EXPECT_EQ(Ask(u"c:\\l"), 1005u);
}

TEST_F(WindowsChangeFaults, ALostReadReachesFoldersOnOtherDrivesThatCountItThroughLinks) {
    MakeLink(u"d:\\x\\toc", u"c:\\t");
    EXPECT_EQ(Ask(u"d:\\x"), 1007u);
    feed.Grow(u"c:\\t\\sub\\a.bin", 2000);
    feed.Overflow(u'c');
    feed.Deliver(cache);
    EXPECT_EQ(Ask(u"d:\\x"), 2007u);
}

TEST_F(WindowsChangeFaults, RecordsUnderShortNamesReachTheFolder) {
    ASSERT_EQ(fs.ShortName(u"c:\\Documents Archive"), u"docume~1");
    EXPECT_EQ(Ask(u"c:\\Documents Archive"), 300u);
    shortNames = true;
    feed.Grow(u"c:\\Documents Archive\\Report.docx", 900);  // reported as DOCUME~1\REPORT~1.DOC
    feed.Deliver(cache);
    EXPECT_EQ(Ask(u"c:\\Documents Archive"), 900u);
}

TEST_F(WindowsChangeFaults, AskingForAMissingFolderLeavesTheFoldersAboveItCached) {
    EXPECT_EQ(Ask(u"c:\\t"), 1000u);
    EXPECT_EQ(Ask(u"c:\\t\\sub\\missing"), 0u);
    fs.ResetCounts();
    EXPECT_EQ(Ask(u"c:\\t"), 1000u);
    EXPECT_EQ(fs.TotalListings(), 0) << "nothing changed: the answer comes from the index";
}

}  // namespace
}  // namespace trovelle
