#include "index/FolderIndex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "index/FolderKey.h"

namespace trovelle {
namespace {

// Every cached folder as a walk over the index sees it: key and the key of its cached parent.
std::vector<std::pair<Path, Path>> Walk(const FolderIndex& index) {
    std::vector<std::pair<Path, Path>> seen;
    index.ForEach([&](const CachedFolderView& folder) {
        seen.emplace_back(Path(folder.key),
                          folder.parent != nullptr ? index.KeyOf(*folder.parent) : Path());
    });
    return seen;
}

void MakeValid(FolderNode* node) { node->sizeInvalid = node->childSizeInvalid = 0; }

TEST(FolderIndex, AFolderIsFoundByEverySpellingOfItsPathAndKeepsOnlyItsName) {
    FolderIndex index;
    FolderNode* sub = index.FindOrCreate(u"c:\\Data\\Süb");
    ASSERT_NE(sub, nullptr);
    EXPECT_FALSE(sub->IsValid());
    EXPECT_EQ(sub->Name(), u"Süb");
    EXPECT_EQ(index.Find(u"C:\\DATA\\SÜB"), sub);
    EXPECT_EQ(index.Find(u"c:\\data"), nullptr) << "the folders above only keep its place";
    EXPECT_EQ(index.Find(u"c:\\data\\sü"), nullptr);
    EXPECT_EQ(index.Find(u"c:\\data\\süb\\"), nullptr);
    EXPECT_EQ(index.Count(), 1u);
    EXPECT_EQ(index.NodeCount(), 3u);
    // Keys are folded: ASCII to lower case, everything else to upper case.
    EXPECT_EQ(index.KeyOf(*sub), u"c:\\data\\sÜb");
    EXPECT_EQ(Walk(index), (std::vector<std::pair<Path, Path>>{{u"c:\\data\\sÜb", u""}}));
}

TEST(FolderIndex, NamesDifferingOnlyInCaseAreOneFolderAndAListingRespellsIt) {
    FolderIndex index;
    FolderNode* root = index.FindOrCreate(u"c:");
    FolderNode* upper = index.FindOrCreateChild(*root, u"ÄRGER");
    EXPECT_EQ(index.FindOrCreateChild(*root, u"ärger"), upper);
    EXPECT_EQ(index.FindOrCreate(u"C:\\Ärger"), upper);
    index.Respell(*upper, u"Ärger");
    EXPECT_EQ(upper->Name(), u"Ärger");
    FolderNode* other = index.FindOrCreateChild(*root, u"ärger2");
    EXPECT_NE(other, upper);
    FolderNode* deeper = index.FindOrCreateChild(*upper, u"ärger");
    EXPECT_NE(deeper, upper) << "one name under two parents is two folders";
    EXPECT_EQ(index.Count(), 4u);
}

// Names are kept one byte a unit when they and their other case fit; the micro sign and y with
// diaeresis do not (their upper case lies beyond Latin-1), nor does any wider unit.
TEST(FolderIndex, NamesKeptInEitherWidthAreFoundRespelledAndFoldedAlike) {
    FolderIndex index;
    FolderNode* root = index.FindOrCreate(u"c:");
    for (const std::u16string_view name : {u"plain", u"Çà et là", u"µm", u"naïveÿ", u"Ωmega"}) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        FolderNode* node = index.FindOrCreateChild(*root, name);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->Name(), name);
        EXPECT_EQ(node->Name().ToPath(), Path(name));
        Path folded;
        for (const char16_t unit : name) folded.push_back(FoldUnit(unit));
        EXPECT_EQ(index.FindOrCreateChild(*root, folded), node);
        index.Respell(*node, folded);
        EXPECT_EQ(node->Name(), folded);
        EXPECT_EQ(index.Find(u"c:\\" + Path(name)), node);
    }
    EXPECT_EQ(index.FindOrCreateChild(*root, u"ÇÀ ET LÀ")->narrowName, 1u);
    EXPECT_EQ(index.FindOrCreateChild(*root, u"µm")->narrowName, 0u);
    EXPECT_EQ(index.FindOrCreateChild(*root, u"Ωmega")->narrowName, 0u);
    EXPECT_EQ(index.Count(), 6u);
    // A block goes back to the arena with the size it was cut at: removing and re-creating
    // every name leaves the arena as it was.
    const size_t reserved = index.BytesReserved();
    for (int round = 0; round < 10000; ++round) {
        for (const std::u16string_view name : {u"plain", u"µm"}) {
            ASSERT_TRUE(index.RemoveAt(u"c:\\" + Path(name)));
            ASSERT_NE(index.FindOrCreateChild(*root, name), nullptr);
        }
    }
    EXPECT_EQ(index.BytesReserved(), reserved);
}

TEST(FolderIndex, AFolderCachedOnItsOwnIsJoinedByItsParentLater) {
    FolderIndex index;
    FolderNode* b = index.FindOrCreate(u"c:\\a\\b");
    FolderNode* a = index.FindOrCreate(u"c:\\a");
    EXPECT_EQ(index.FindOrCreateChild(*a, u"b"), b);
    EXPECT_EQ(Walk(index), (std::vector<std::pair<Path, Path>>{{u"c:\\a", u""},
                                                              {u"c:\\a\\b", u"c:\\a"}}));
    EXPECT_EQ(index.NodeCount(), 3u);
}

TEST(FolderIndex, StoreIsRefusedForRemovedInvalidatedAndReCreatedFolders) {
    FolderIndex index;
    FolderNode* node = index.FindOrCreate(u"c:\\a");
    FolderRecord record = FolderRecord::CopyOf(*node);
    record.size = {10, 4096};
    record.childSize = {5, 8192};
    record.sizeInvalid = record.childSizeInvalid = 0;

    index.InvalidateFolder(u"c:\\a");  // a change arrived while the folder was listed
    EXPECT_FALSE(index.Store(u"c:\\a", record));
    EXPECT_FALSE(node->IsValid());

    record = FolderRecord::CopyOf(*node);
    record.size = {10, 4096};
    record.sizeInvalid = record.childSizeInvalid = 0;
    EXPECT_TRUE(index.Store(u"C:\\A", record));
    EXPECT_TRUE(node->IsValid());
    EXPECT_EQ(node->Total(), (ByteTotals{10, 4096}));

    index.RemoveFolder(*node);
    EXPECT_FALSE(index.Store(u"c:\\a", record));
    EXPECT_EQ(index.NodeCount(), 0u);
    // The same name again is a new folder, whatever memory it reuses.
    ASSERT_NE(index.FindOrCreate(u"c:\\a"), nullptr);
    EXPECT_FALSE(index.Store(u"c:\\a", record));
}

TEST(FolderIndex, InvalidationMarksTheFolderAndOnlyChildFlagsAbove) {
    FolderIndex index;
    FolderNode* root = index.FindOrCreate(u"c:");
    FolderNode* a = index.FindOrCreateChild(*root, u"a");
    FolderNode* b = index.FindOrCreateChild(*a, u"b");
    FolderNode* sibling = index.FindOrCreateChild(*root, u"s");
    FolderNode* own = index.FindOrCreate(u"c:\\s\\x\\own");  // below a folder never listed
    for (FolderNode* node : {root, a, b, sibling, own}) MakeValid(node);

    index.InvalidateFolder(u"c:\\a\\b");
    EXPECT_EQ(b->sizeInvalid, 1u);
    EXPECT_EQ(b->childSizeInvalid, 1u);
    EXPECT_EQ(a->sizeInvalid, 0u);
    EXPECT_EQ(a->childSizeInvalid, 1u);
    EXPECT_EQ(root->sizeInvalid, 0u);
    EXPECT_EQ(root->childSizeInvalid, 1u);
    EXPECT_TRUE(sibling->IsValid());

    index.InvalidateFolder(u"c:\\never");  // unmeasured: nothing at all changes
    index.InvalidateFolder(u"c:\\s\\x");   // only a place: nothing is cached there
    EXPECT_TRUE(sibling->IsValid());
    EXPECT_TRUE(own->IsValid());

    MakeValid(root);
    const auto hit = index.InvalidateDeepestAt(u"c:\\s\\x\\own\\gone\\deeper");
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(*hit, u"c:\\s\\x\\own");
    EXPECT_FALSE(own->IsValid());
    EXPECT_EQ(sibling->childSizeInvalid, 1u) << "reached through the place between them";
    EXPECT_EQ(root->childSizeInvalid, 1u);
    EXPECT_FALSE(index.InvalidateDeepestAt(u"d:\\x").has_value());
}

TEST(FolderIndex, RemovalTakesTheSubtreeAndThePlacesKeptOnlyForIt) {
    FolderIndex index;
    FolderNode* root = index.FindOrCreate(u"c:");
    FolderNode* a = index.FindOrCreateChild(*root, u"a");
    FolderNode* deep = a;
    for (int level = 0; level < 50; ++level) deep = index.FindOrCreateChild(*deep, u"d");
    index.FindOrCreateChild(*a, u"x");
    FolderNode* keep = index.FindOrCreateChild(*root, u"ab");
    index.FindOrCreate(u"c:\\p\\q\\r");
    ASSERT_EQ(index.Count(), 55u);

    index.RemoveFolder(*a);
    EXPECT_EQ(index.Count(), 3u);
    EXPECT_EQ(index.Find(u"c:\\a"), nullptr);
    EXPECT_EQ(index.Find(u"c:\\a\\x"), nullptr);
    EXPECT_EQ(index.Find(u"c:\\ab"), keep);

    EXPECT_TRUE(index.RemoveAt(u"c:\\P"));  // only a place, but what lies below goes with it
    EXPECT_EQ(index.Find(u"c:\\p\\q\\r"), nullptr);
    EXPECT_EQ(index.NodeCount(), 2u);
    EXPECT_FALSE(index.RemoveAt(u"c:\\p"));

    index.FindOrCreate(u"c:\\ab\\m\\n");
    index.RemoveFolder(*index.Find(u"c:\\ab\\m\\n"));
    EXPECT_EQ(index.NodeCount(), 2u) << "a place kept for nothing goes";
}

TEST(FolderIndex, AForgottenFolderKeepsOnlyThePlaceOfWhatIsCachedBelowIt) {
    FolderIndex index;
    index.FindOrCreate(u"c:\\a\\b");
    FolderNode* a = index.FindOrCreate(u"c:\\a");
    index.Forget(*a);
    EXPECT_EQ(index.Find(u"c:\\a"), nullptr);
    EXPECT_NE(index.Find(u"c:\\a\\b"), nullptr);
    EXPECT_EQ(index.Count(), 1u);

    index.Forget(*index.Find(u"c:\\a\\b"));
    EXPECT_EQ(index.Count(), 0u);
    EXPECT_EQ(index.NodeCount(), 0u);
}

TEST(FolderIndex, DriveWideInvalidationAndRemovalLeaveOtherDrivesAlone) {
    FolderIndex index;
    FolderNode* c = index.FindOrCreate(u"c:");
    FolderNode* cSub = index.FindOrCreateChild(*c, u"sub");
    FolderNode* cOwn = index.FindOrCreate(u"c:\\x\\own");
    FolderNode* d = index.FindOrCreate(u"d:\\data");
    for (FolderNode* node : {c, cSub, cOwn, d}) MakeValid(node);

    index.InvalidateAllUnder(u"c:");
    EXPECT_FALSE(c->IsValid());
    EXPECT_FALSE(cSub->IsValid());
    EXPECT_FALSE(cOwn->IsValid());
    EXPECT_TRUE(d->IsValid());

    index.RemoveAllUnder(u"c:");
    EXPECT_EQ(index.Count(), 1u);
    EXPECT_EQ(index.Find(u"d:\\data"), d);
}

TEST(FolderIndex, GrowsAndClearsWithoutLosingEntries) {
    FolderIndex index;
    FolderNode* root = index.FindOrCreate(u"c:");
    auto name = [](int i) {
        std::u16string text = u"f";
        for (char c : std::to_string(i)) text.push_back(static_cast<char16_t>(c));
        return text;
    };
    for (int i = 0; i < 5000; ++i) index.FindOrCreateChild(*root, name(i));
    EXPECT_EQ(index.Count(), 5001u);
    size_t visited = 0;
    index.ForEach([&](const CachedFolderView&) { ++visited; });
    EXPECT_EQ(visited, 5001u);
    EXPECT_NE(index.Find(u"c:\\" + name(4321)), nullptr);

    index.ClearIndex();
    EXPECT_EQ(index.Count(), 0u);
    EXPECT_EQ(index.NodeCount(), 0u);
    EXPECT_EQ(index.Find(u"c:"), nullptr);
    EXPECT_NE(index.FindOrCreate(u"c:"), nullptr);
}

TEST(FolderIndex, ADeepFolderCostsItsNameNotItsPath) {
    constexpr int kLevels = 2000;
    FolderIndex index;
    FolderNode* node = index.FindOrCreate(u"c:");
    Path path = u"c:";
    for (int level = 0; level < kLevels; ++level) {
        node = index.FindOrCreateChild(*node, u"level");
        path += u"\\level";
    }
    // Stored as full paths, these keys alone would take 2,000 x 6,000 units x 2 bytes (24 MB).
    EXPECT_LT(index.BytesReserved(), 1u << 20);
    EXPECT_EQ(index.Find(path), node);
    EXPECT_EQ(index.KeyOf(*node), path);
    size_t longestKey = 0;
    index.ForEach([&](const CachedFolderView& folder) {
        longestKey = std::max(longestKey, folder.key.size());
    });
    EXPECT_EQ(longestKey, path.size());
    index.RemoveFolder(*index.Find(u"c:"));
    EXPECT_EQ(index.NodeCount(), 0u);
}

}  // namespace
}  // namespace trovelle
