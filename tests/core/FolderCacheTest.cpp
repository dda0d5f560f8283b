#include "cache/FolderCache.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "FakeFileSystem.h"
#include "system/StdLock.h"

namespace trovelle {
namespace {

using testing::FakeFileSystem;

class FolderCacheTest : public ::testing::Test {
protected:
    FolderCacheTest() {
        fs.SetDriveType(u'c', DriveType::Fixed);
        fs.AddFile(u"C:\\Data\\one.txt", 100);
        fs.AddFile(u"C:\\Data\\.hidden", 7);
        fs.AddFile(u"C:\\Data\\Sub\\two.bin", 2000);
        fs.AddFile(u"C:\\Data\\Sub\\Deep\\three", 30000);
        fs.AddFolder(u"C:\\Data\\Empty");
        fs.AddFile(u"C:\\top.sys", 5);
    }

    uint64_t Ask(const Path& path) { return cache.GetFolderSize(path); }
    const FolderNode* Node(const Path& key) { return View(key).node; }
    // The cached folder right above the one at `key`, if that one is cached too.
    const FolderNode* ParentOf(const Path& key) { return View(key).parent; }

    struct Found {
        const FolderNode* node = nullptr;
        const FolderNode* parent = nullptr;
    };
    Found View(const Path& key) {
        Found found;
        cache.VisitLocked([&](const CachedFolderView& folder) {
            if (folder.key == key) found = {&folder.node, folder.parent};
        });
        return found;
    }

    FakeFileSystem fs;
    StdLock lock;
    FolderCache cache{fs, fs, lock};
};

TEST_F(FolderCacheTest, FirstRequestMeasuresEverythingAndTheSecondListsNothing) {
    EXPECT_EQ(Ask(u"C:\\Data"), 32107u);
    EXPECT_EQ(cache.CachedFolderCount(), 4u);  // data, sub, deep, empty
    fs.ResetCounts();
    EXPECT_EQ(Ask(u"c:\\DATA"), 32107u);
    EXPECT_EQ(Ask(u"C:\\Data\\Sub"), 32000u);
    EXPECT_EQ(fs.TotalListings(), 0);
    ASSERT_NE(Node(u"c:\\data\\empty"), nullptr);
    EXPECT_TRUE(Node(u"c:\\data\\empty")->IsValid());
}

TEST_F(FolderCacheTest, EverySpellingAnswersFromOneNodeBeforeAndAfterAChange) {
    fs.AddShortName(u"C:\\DATA~1", u"C:\\Data");
    const Path spellings[] = {u"C:\\Data",      u"C:\\Data\\",      u"C:/Data",
                              u"C:\\Data\\.",   u"C:\\Data\\Sub\\..", u"\\\\?\\C:\\Data",
                              u"C:\\DATA~1",    u"c:\\DATA~1\\",     u"C:\\\\Data"};
    for (const Path& spelling : spellings) EXPECT_EQ(Ask(spelling), 32107u);
    EXPECT_EQ(cache.CachedFolderCount(), 4u) << "one node per folder, whatever the spelling";
    EXPECT_EQ(Ask(u"C:\\"), Ask(u"C:"));

    fs.SetFileSize(u"C:\\Data\\Sub\\two.bin", 7000);
    cache.ApplyChange(kActionModified, u"C:\\Data\\Sub\\two.bin");
    for (const Path& spelling : spellings) EXPECT_EQ(Ask(spelling), 37107u);
    EXPECT_EQ(Ask(u"C:\\"), 37112u);
    EXPECT_EQ(Ask(u"C:"), 37112u);
}

TEST_F(FolderCacheTest, NamesThatDifferOnlyInCaseBeyondAsciiAreOneFolder) {
    fs.AddFile(u"C:\\Ärger\\f", 10);
    EXPECT_EQ(Ask(u"C:\\ärger"), 10u);
    EXPECT_EQ(Ask(u"C:\\ÄRGER"), 10u);
    EXPECT_EQ(cache.CachedFolderCount(), 1u);
    fs.SetFileSize(u"C:\\Ärger\\f", 20);
    cache.ApplyChange(kActionModified, u"C:\\ÄRGER\\f");
    EXPECT_EQ(Ask(u"C:\\ärger"), 20u);
}

TEST_F(FolderCacheTest, DirectlyRequestedFolderIsRelinkedAndReusedByItsParent) {
    EXPECT_EQ(Ask(u"C:\\Data\\Sub"), 32000u);
    EXPECT_EQ(ParentOf(u"c:\\data\\sub"), nullptr);
    fs.ResetCounts();
    EXPECT_EQ(Ask(u"C:\\Data"), 32107u);
    EXPECT_EQ(fs.Listings(u"c:\\data\\sub"), 0);
    EXPECT_EQ(ParentOf(u"c:\\data\\sub"), Node(u"c:\\data"));
}

TEST_F(FolderCacheTest, AChangeRelistsOnlyThePathUpToTheAskedFolder) {
    EXPECT_EQ(Ask(u"C:"), 32112u);
    fs.SetFileSize(u"C:\\Data\\Sub\\two.bin", 2500);
    cache.ApplyChange(kActionModified, u"C:\\Data\\Sub\\two.bin");
    fs.ResetCounts();
    EXPECT_EQ(Ask(u"C:"), 32612u);
    EXPECT_EQ(fs.TotalListings(), 3);
    EXPECT_EQ(fs.Listings(u"c:"), 1);
    EXPECT_EQ(fs.Listings(u"c:\\data"), 1);
    EXPECT_EQ(fs.Listings(u"c:\\data\\sub"), 1);
}

// One call answers a parent's subfolders: only those whose answer is final now, each exactly
// what its own request would answer, found without listing anything.
TEST_F(FolderCacheTest, KnownSubfoldersAreTheValidAnswersOfTheirOwnRequests) {
    const auto known = [&](const Path& parent) {
        std::map<Path, uint64_t> byName;
        for (const KnownSubfolder& sub : cache.KnownSubfolders(CanonicalizeRequest(parent))) {
            byName.emplace(sub.name, sub.total.bytes);
        }
        return byName;
    };
    using Answers = std::map<Path, uint64_t>;
    EXPECT_EQ(known(u"C:\\Data"), Answers{});
    EXPECT_EQ(Ask(u"c:\\data\\SUB"), 32000u);  // its parent only keeps its place
    EXPECT_EQ(known(u"C:\\Data"), (Answers{{u"SUB", 32000}}));  // as asked, until listed
    EXPECT_EQ(Ask(u"C:\\Data"), 32107u);
    fs.ResetCounts();
    EXPECT_EQ(known(u"c:/DATA/"), (Answers{{u"Empty", 0}, {u"Sub", 32000}}));
    EXPECT_EQ(fs.TotalListings(), 0);

    fs.SetFileSize(u"C:\\Data\\Sub\\Deep\\three", 1);
    cache.ApplyChange(kActionModified, u"C:\\Data\\Sub\\Deep\\three");
    EXPECT_EQ(known(u"C:\\Data"), (Answers{{u"Empty", 0}}));
    EXPECT_EQ(known(u"C:\\Data\\Sub"), Answers{});
    EXPECT_EQ(Ask(u"C:\\Data\\Sub"), 2001u);
    EXPECT_EQ(known(u"C:\\Data"), (Answers{{u"Empty", 0}, {u"Sub", 2001}}));

    fs.SetDriveType(u'e', DriveType::Removable);
    fs.AddFile(u"E:\\Stick\\Inner\\f", 9);
    EXPECT_EQ(Ask(u"E:\\Stick"), 9u);
    EXPECT_EQ(known(u"E:\\Stick"), Answers{});
    EXPECT_EQ(known(u"\\\\server\\share"), Answers{});
}

TEST_F(FolderCacheTest, ChangesInUnmeasuredFoldersChangeNothing) {
    EXPECT_EQ(Ask(u"C:\\Data\\Sub"), 32000u);
    fs.AddFile(u"C:\\Data\\new.txt", 1);
    cache.ApplyChange(kActionAdded, u"C:\\Data\\new.txt");  // c:\data was never measured
    EXPECT_TRUE(Node(u"c:\\data\\sub")->IsValid());
}

TEST_F(FolderCacheTest, DeletingAFolderRemovesItsSubtreeAndLeavesTheParentStale) {
    EXPECT_EQ(Ask(u"C:\\Data"), 32107u);
    fs.Remove(u"C:\\Data\\Sub");
    cache.ApplyChange(kActionRemoved, u"C:\\Data\\Sub");
    EXPECT_EQ(Node(u"c:\\data\\sub"), nullptr);
    EXPECT_EQ(Node(u"c:\\data\\sub\\deep"), nullptr);
    EXPECT_EQ(Node(u"c:\\data")->sizeInvalid, 1u);
    EXPECT_EQ(Ask(u"C:\\Data"), 107u);
}

TEST_F(FolderCacheTest, RenamedFolderIsMeasuredAfreshUnderItsNewName) {
    EXPECT_EQ(Ask(u"C:\\Data"), 32107u);
    fs.Rename(u"C:\\Data\\Sub", u"C:\\Data\\Moved");
    cache.ApplyChange(kActionRenamedOldName, u"C:\\Data\\Sub");
    cache.ApplyChange(kActionRenamedNewName, u"C:\\Data\\Moved");
    EXPECT_EQ(Ask(u"C:\\Data"), 32107u);
    EXPECT_EQ(Node(u"c:\\data\\sub"), nullptr);
    EXPECT_NE(Node(u"c:\\data\\moved\\deep"), nullptr);
}

TEST_F(FolderCacheTest, UnknownActionsAreIgnored) {
    EXPECT_EQ(Ask(u"C:\\Data"), 32107u);
    cache.ApplyChange(0, u"C:\\Data\\Sub");
    cache.ApplyChange(6, u"C:\\Data\\Sub");
    EXPECT_TRUE(Node(u"c:\\data\\sub")->IsValid());
    EXPECT_TRUE(Node(u"c:\\data")->IsValid());
}

TEST_F(FolderCacheTest, MissingFoldersAndFilesAnswerZeroAndLeaveTheIndexUnchanged) {
    EXPECT_EQ(Ask(u"C:\\Nowhere"), 0u);
    EXPECT_EQ(Ask(u"C:\\top.sys"), 0u);
    EXPECT_EQ(Ask(u""), 0u);
    Path huge = u"C:\\";
    huge.append(40000, u'x');
    EXPECT_EQ(Ask(huge), 0u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(Ask(u"C:\\random" + Path(1, u'a' + i % 26)), 0u);
    EXPECT_EQ(cache.CachedFolderCount(), 0u);
    EXPECT_EQ(cache.IndexNodeCount(), 0u);
    // The path longer than any Windows path is refused before anything is listed.
    EXPECT_EQ(cache.Counters().unlistableFolders.load(), 102u);
}

TEST_F(FolderCacheTest, AStaleFolderThatIsGoneWhenAskedLeavesNoNode) {
    EXPECT_EQ(Ask(u"C:\\Data"), 32107u);
    cache.ApplyChange(kActionModified, u"C:\\Data\\Sub\\Deep\\three");
    fs.Remove(u"C:\\Data\\Sub\\Deep");  // its removal record is still on its way
    EXPECT_EQ(Ask(u"C:\\Data\\Sub\\Deep"), 0u);
    EXPECT_EQ(Node(u"c:\\data\\sub\\deep"), nullptr);
    EXPECT_EQ(Ask(u"C:\\Data"), 2107u);
}

TEST_F(FolderCacheTest, OtherDriveTypesAreSummedEveryTimeAndCacheNothing) {
    for (DriveType type : {DriveType::Removable, DriveType::Remote, DriveType::CdRom,
                           DriveType::RamDisk, DriveType::Unknown}) {
        fs.SetDriveType(u'e', type);
        fs.AddFile(u"E:\\Stick\\a", 11);
        fs.AddFile(u"E:\\Stick\\b\\c", 22);
        fs.ResetCounts();
        EXPECT_EQ(Ask(u"E:\\Stick"), 33u);
        EXPECT_EQ(Ask(u"E:\\Stick"), 33u);
        EXPECT_EQ(fs.Listings(u"e:\\stick"), 2);
    }
    fs.AddFile(u"\\\\server\\share\\f", 9);
    EXPECT_EQ(Ask(u"\\\\server\\share"), 9u);
    EXPECT_EQ(cache.CachedFolderCount(), 0u);
}

TEST_F(FolderCacheTest, ResetMakesTheNextRequestMeasureFromScratch) {
    EXPECT_EQ(Ask(u"C:\\Data"), 32107u);
    cache.Reset();
    EXPECT_EQ(cache.CachedFolderCount(), 0u);
    fs.ResetCounts();
    EXPECT_EQ(Ask(u"C:\\Data"), 32107u);
    EXPECT_EQ(fs.TotalListings(), 4);
}

TEST_F(FolderCacheTest, AChangeDuringTheFolderListingKeepsItStale) {
    EXPECT_EQ(Ask(u"C:"), 32112u);
    fs.SetFileSize(u"C:\\Data\\Sub\\two.bin", 1);
    cache.ApplyChange(kActionModified, u"C:\\Data\\Sub\\two.bin");
    // While Sub is being listed again, its file grows once more and the change arrives.
    fs.OnNextListing(u"C:\\Data\\Sub", [&] {
        fs.SetFileSize(u"C:\\Data\\Sub\\two.bin", 4000);
        cache.ApplyChange(kActionModified, u"C:\\Data\\Sub\\two.bin");
    });
    EXPECT_EQ(Ask(u"C:"), 30113u) << "the scan still answers what it computed";
    EXPECT_FALSE(Node(u"c:\\data\\sub")->IsValid());
    EXPECT_FALSE(Node(u"c:")->IsValid());
    EXPECT_EQ(Ask(u"C:"), 34112u);
    EXPECT_TRUE(Node(u"c:")->IsValid());
}

TEST_F(FolderCacheTest, FolderRemovedDuringItsListingStoresNothingAndLinksNothing) {
    fs.OnNextListing(u"C:\\Data", [&] { cache.Reset(); });
    EXPECT_EQ(Ask(u"C:\\Data"), 32107u);
    EXPECT_EQ(cache.CachedFolderCount(), 0u) << "children of a discarded folder are not cached";
}

// What the files take on disk rises through the same paths as their lengths, and nothing is
// learnt by opening a file: a cloud file online only would be downloaded.
TEST_F(FolderCacheTest, SizeOnDiskFollowsEveryChangeWithoutOpeningAFile) {
    const auto totals = [&](const Path& folder) { return cache.GetFolderSizes(folder).totals; };
    fs.AddFile(u"C:\\Disk\\sparse.vhd", 100u << 20, 4096);  // 4 KiB of it written
    fs.AddFile(u"C:\\Disk\\dense.bin", 1000000);            // 1,003,520 on disk
    fs.AddFile(u"C:\\Disk\\Cloud\\photo.jpg", 5000000, 0);  // online only
    EXPECT_EQ(totals(u"C:\\Disk"), (ByteTotals{110857600, 1007616}));
    EXPECT_EQ(totals(u"C:\\Disk\\Cloud"), (ByteTotals{5000000, 0}));

    fs.SetFileAllocation(u"C:\\Disk\\sparse.vhd", 100u << 20);  // its holes written into
    cache.ApplyChange(kActionModified, u"C:\\Disk\\sparse.vhd");
    EXPECT_EQ(totals(u"C:\\Disk"), (ByteTotals{110857600, 105861120}));
    fs.SetFileSize(u"C:\\Disk\\Cloud\\photo.jpg", 5000001);  // recalled and grown
    cache.ApplyChange(kActionModified, u"C:\\Disk\\Cloud\\photo.jpg");
    fs.Rename(u"C:\\Disk\\Cloud", u"C:\\Disk\\Local");
    cache.ApplyChange(kActionRenamedOldName, u"C:\\Disk\\Cloud");
    cache.ApplyChange(kActionRenamedNewName, u"C:\\Disk\\Local");
    EXPECT_EQ(totals(u"C:\\Disk\\Local"), (ByteTotals{5000001, 5001216}));
    fs.Remove(u"C:\\Disk\\dense.bin");
    cache.ApplyChange(kActionRemoved, u"C:\\Disk\\dense.bin");
    EXPECT_EQ(totals(u"C:"), fs.Total(u"C:"));
    EXPECT_EQ(totals(u"C:\\Disk"), (ByteTotals{109857601, 109858816}));
    EXPECT_EQ(fs.FilesOpened(), std::vector<Path>{});
}

// A folder that goes while it is measured has no total: what was measured before it went is
// not one, and neither is 0.
TEST_F(FolderCacheTest, AFolderGoneByTheEndOfItsMeasurementIsNotAnswered) {
    fs.OnNextListing(u"C:\\Data\\Sub", [&] { fs.Remove(u"C:\\Data"); });
    const FolderSizes removed = cache.GetFolderSizes(u"C:\\Data");
    EXPECT_FALSE(removed.measured);
    EXPECT_EQ(removed.totals, ByteTotals{});
    EXPECT_FALSE(cache.GetFolderSizes(u"C:\\Data").measured);
    EXPECT_FALSE(cache.GetFolderSizes(u"C:\\top.sys").measured) << "a file is no folder";
    // A subfolder that cannot be read leaves a total of what could be, as Explorer counts it.
    fs.AddFile(u"C:\\Kept\\a", 10);
    fs.AddFile(u"C:\\Kept\\Locked\\b", 20);
    fs.SetUnlistable(u"C:\\Kept\\Locked", true);
    const FolderSizes partial = cache.GetFolderSizes(u"C:\\Kept");
    EXPECT_TRUE(partial.measured);
    EXPECT_EQ(partial.totals.bytes, 10u);
}

TEST_F(FolderCacheTest, LoopsThroughLinksAreNotDescendedAgain) {
    fs.AddFolderLink(u"C:\\Data\\Sub\\Deep\\back", u"C:\\Data");
    fs.AddFolderLink(u"C:\\Data\\elsewhere", u"C:\\Other");
    fs.AddFile(u"C:\\Other\\o", 1000000);
    EXPECT_EQ(Ask(u"C:\\Data"), 1032107u) << "a link out of the path is still followed";
    EXPECT_EQ(cache.SumFolder(u"C:\\Data").bytes, 1032107u);
}

TEST_F(FolderCacheTest, VeryDeepTreesNeedNoStack) {
    Path deep = u"C:\\Deep";
    for (int level = 0; level < 1200; ++level) deep += u"\\d";  // a recursive walk would need 3 MB
    fs.AddFile(deep + u"\\f", 3);
    EXPECT_EQ(Ask(u"C:\\Deep"), 3u);
    EXPECT_EQ(cache.CachedFolderCount(), 1201u);
    EXPECT_EQ(cache.SumFolder(u"C:\\Deep").bytes, 3u);
    fs.SetFileSize(deep + u"\\f", 5);
    cache.ApplyChange(kActionModified, deep + u"\\f");
    EXPECT_EQ(Ask(u"C:\\Deep"), 5u);
}

// Random trees and random changes: every cached answer must equal a fresh sum.
TEST(FolderCacheProperty, CachedTotalsAlwaysEqualAFreshSum) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 25; ++round) {
        FakeFileSystem fs;
        fs.SetDriveType(u'c', DriveType::Fixed);
        StdLock lock;
        FolderCache cache(fs, fs, lock);
        std::vector<Path> folders{u"C:\\R"};
        std::vector<Path> files;
        bool changedDuringListing = false;
        fs.AddFolder(u"C:\\R");
        auto pick = [&](const std::vector<Path>& from) {
            return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)];
        };
        auto grow = [&] {
            if (random() % 3 == 0) {
                Path folder = pick(folders) + u"\\D" + std::u16string(1, u'a' + random() % 26);
                fs.AddFolder(folder);
                folders.push_back(folder);
                return folder;
            }
            Path file = pick(folders) + u"\\f" + std::u16string(1, u'a' + random() % 26);
            fs.AddFile(file, random() % 1000);
            files.push_back(file);
            return file;
        };
        for (int i = 0; i < 60; ++i) grow();

        for (int step = 0; step < 80; ++step) {
            const int what = random() % 5;
            if (what == 0) {
                cache.ApplyChange(kActionAdded, grow());
            } else if (what == 1 && !files.empty()) {
                const Path file = pick(files);
                fs.AddFile(file, random() % 5000);
                cache.ApplyChange(kActionModified, file);
            } else if (what == 4 && !files.empty()) {
                // Holes written into or punched: the length stays, the space on disk moves.
                const Path file = pick(files);
                fs.SetFileAllocation(file, random() % 3 * 4096);
                cache.ApplyChange(kActionModified, file);
            } else if (what == 2 && folders.size() > 1) {
                const Path folder = pick(folders);
                if (folder == u"C:\\R") continue;
                fs.Remove(folder);
                cache.ApplyChange(kActionRemoved, folder);
                std::erase_if(folders, [&](const Path& p) {
                    return p == folder || p.rfind(folder + u'\\', 0) == 0;
                });
                std::erase_if(files, [&](const Path& p) { return p.rfind(folder + u'\\', 0) == 0; });
            } else if (what == 3 && !files.empty()) {
                // A change that lands while some folder is being listed.
                const Path file = pick(files);
                const Path listed = pick(folders);
                fs.OnNextListing(listed, [&, file] {
                    if (!fs.Exists(file)) return;  // its folder was deleted meanwhile
                    changedDuringListing = true;
                    fs.SetFileSize(file, random() % 5000);
                    cache.ApplyChange(kActionModified, file);
                });
            }
            const Path asked = pick(folders);
            cache.GetFolderSize(asked);
            for (const Path& folder : folders) {
                // A scan that overlapped a change answers what it saw; the next one must be right.
                ByteTotals answer;
                do {
                    changedDuringListing = false;
                    answer = cache.GetFolderSizes(folder).totals;
                } while (changedDuringListing);
                ASSERT_EQ(answer, fs.Total(folder))
                    << "round " << round << " step " << step;
            }
        }
    }
}

}  // namespace
}  // namespace trovelle
