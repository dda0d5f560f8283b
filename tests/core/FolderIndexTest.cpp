#include "FolderIndex.h"

#include <gtest/gtest.h>

#include <string>

namespace trovelle {
namespace {

TEST(FolderIndex, NewNodesAreStaleAndLinkedToTheirParent) {
    FolderIndex index;
    FolderNode* root = index.FindOrCreate(u"c:", nullptr);
    FolderNode* child = index.FindOrCreate(u"c:\\a", root);
    ASSERT_NE(root, nullptr);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->parent, root);
    EXPECT_EQ(child->sizeInvalid, 1u);
    EXPECT_EQ(child->childSizeInvalid, 1u);
    EXPECT_EQ(index.Find(u"c:\\a"), child);
    EXPECT_EQ(index.Find(u"c:\\A"), nullptr) << "keys compare exactly; folding is the caller's";
    EXPECT_EQ(index.Find(u"c:\\a\\"), nullptr);
}

TEST(FolderIndex, ExistingNodeIsRelinkedOnlyWhenAParentIsGiven) {
    FolderIndex index;
    FolderNode* direct = index.FindOrCreate(u"c:\\a", nullptr);
    FolderNode* root = index.FindOrCreate(u"c:", nullptr);
    EXPECT_EQ(index.FindOrCreate(u"c:\\a", root), direct);
    EXPECT_EQ(direct->parent, root);
    EXPECT_EQ(index.FindOrCreate(u"c:\\a", nullptr)->parent, root);
    EXPECT_EQ(root->firstChild, direct);
}

TEST(FolderIndex, StoreIsRefusedForRemovedKeysAndInvalidatedNodes) {
    FolderIndex index;
    FolderNode* node = index.FindOrCreate(u"c:\\a", nullptr);
    FolderRecord record = FolderRecord::CopyOf(*node);
    record.size = 10;
    record.childSize = 5;
    record.sizeInvalid = record.childSizeInvalid = 0;

    index.InvalidateFolder(u"c:\\a");  // a change arrived while the folder was listed
    EXPECT_FALSE(index.Store(u"c:\\a", record));
    EXPECT_FALSE(node->IsValid());

    record = FolderRecord::CopyOf(*node);
    record.size = 10;
    record.sizeInvalid = record.childSizeInvalid = 0;
    EXPECT_TRUE(index.Store(u"c:\\a", record));
    EXPECT_TRUE(node->IsValid());
    EXPECT_EQ(node->Total(), 10u);

    index.RemoveFolder(*node);
    EXPECT_FALSE(index.Store(u"c:\\a", record));
    EXPECT_EQ(index.Count(), 0u);
}

TEST(FolderIndex, InvalidationMarksTheFolderAndOnlyChildFlagsAbove) {
    FolderIndex index;
    FolderNode* root = index.FindOrCreate(u"c:", nullptr);
    FolderNode* a = index.FindOrCreate(u"c:\\a", root);
    FolderNode* b = index.FindOrCreate(u"c:\\a\\b", a);
    FolderNode* sibling = index.FindOrCreate(u"c:\\s", root);
    for (FolderNode* node : {root, a, b, sibling}) node->sizeInvalid = node->childSizeInvalid = 0;

    index.InvalidateFolder(u"c:\\a\\b");
    EXPECT_EQ(b->sizeInvalid, 1u);
    EXPECT_EQ(b->childSizeInvalid, 1u);
    EXPECT_EQ(a->sizeInvalid, 0u);
    EXPECT_EQ(a->childSizeInvalid, 1u);
    EXPECT_EQ(root->sizeInvalid, 0u);
    EXPECT_EQ(root->childSizeInvalid, 1u);
    EXPECT_TRUE(sibling->IsValid());

    index.InvalidateFolder(u"c:\\never");  // unmeasured: nothing at all changes
    EXPECT_TRUE(sibling->IsValid());
}

TEST(FolderIndex, RemovingAFolderRemovesEveryCachedFolderBelowIt) {
    FolderIndex index;
    FolderNode* root = index.FindOrCreate(u"c:", nullptr);
    FolderNode* a = index.FindOrCreate(u"c:\\a", root);
    FolderNode* deep = a;
    for (int level = 0; level < 50; ++level) {
        deep = index.FindOrCreate(std::u16string(deep->Key()) + u"\\d", deep);
    }
    index.FindOrCreate(u"c:\\a\\x", a);
    FolderNode* keep = index.FindOrCreate(u"c:\\ab", root);
    ASSERT_EQ(index.Count(), 54u);

    index.RemoveFolder(*a);
    EXPECT_EQ(index.Count(), 2u);
    EXPECT_EQ(index.Find(u"c:\\a"), nullptr);
    EXPECT_EQ(index.Find(u"c:\\a\\x"), nullptr);
    EXPECT_EQ(index.Find(u"c:\\ab"), keep);
    EXPECT_EQ(root->firstChild, keep);
    EXPECT_EQ(keep->nextSibling, nullptr);
}

TEST(FolderIndex, GrowsAndClearsWithoutLosingEntries) {
    FolderIndex index;
    FolderNode* root = index.FindOrCreate(u"c:", nullptr);
    for (int i = 0; i < 5000; ++i) {
        index.FindOrCreate(u"c:\\f" + std::u16string(1, static_cast<char16_t>(0x100 + i)), root);
    }
    EXPECT_EQ(index.Count(), 5001u);
    size_t visited = 0;
    index.ForEach([&](const FolderNode&) { ++visited; });
    EXPECT_EQ(visited, 5001u);
    EXPECT_NE(index.Find(u"c:\\f" + std::u16string(1, static_cast<char16_t>(0x100 + 4321))),
              nullptr);

    index.ClearIndex();
    EXPECT_EQ(index.Count(), 0u);
    EXPECT_EQ(index.Find(u"c:"), nullptr);
    EXPECT_NE(index.FindOrCreate(u"c:", nullptr), nullptr);
}

}  // namespace
}  // namespace trovelle
