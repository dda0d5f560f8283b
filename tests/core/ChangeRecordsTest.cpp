#include "cache/ChangeBatch.h"
#include "changes/ChangeRecords.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "cache/FolderCache.h"
#include "FakeFileSystem.h"
#include "system/StdLock.h"

namespace trovelle {
namespace {

// Builds a batch as the system lays it out: records DWORD-aligned as Windows writes them (or
// packed as Wine writes them), the last with offset 0.
class BatchBuilder {
public:
    explicit BatchBuilder(size_t alignment = 4) : alignment_(alignment) {}
    BatchBuilder& Add(uint32_t action, const std::u16string& name) {
        records_.push_back({action, name});
        return *this;
    }
    std::vector<uint8_t> Build() const {
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i < records_.size(); ++i) {
            const size_t start = bytes.size();
            const size_t nameBytes = records_[i].name.size() * 2;
            const size_t size = (12 + nameBytes + alignment_ - 1) / alignment_ * alignment_;
            bytes.resize(start + size, 0);
            const bool last = i + 1 == records_.size();
            Put(bytes, start, last ? 0 : static_cast<uint32_t>(size));
            Put(bytes, start + 4, records_[i].action);
            Put(bytes, start + 8, static_cast<uint32_t>(nameBytes));
            for (size_t u = 0; u < records_[i].name.size(); ++u) {
                bytes[start + 12 + u * 2] = static_cast<uint8_t>(records_[i].name[u]);
                bytes[start + 13 + u * 2] = static_cast<uint8_t>(records_[i].name[u] >> 8);
            }
        }
        return bytes;
    }
    static void Put(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
        for (int b = 0; b < 4; ++b) bytes[at + b] = static_cast<uint8_t>(value >> (8 * b));
    }

private:
    size_t alignment_;
    std::vector<ChangeRecord> records_;
};

TEST(ChangeRecords, DecodesEveryRecordInOrderAlignedOrPacked) {
    for (size_t alignment : {4, 1}) {
        const auto batch = BatchBuilder(alignment)
                               .Add(4, u"Data\\Old")
                               .Add(5, u"Data\\New name")
                               .Add(3, u"f.txt")
                               .Add(99, u"x")
                               .Build();
        const auto records = DecodeChangeRecords(batch.data(), batch.size());
        ASSERT_EQ(records.size(), 4u) << "alignment " << alignment;
        EXPECT_EQ(records[0].action, 4u);
        EXPECT_EQ(records[0].name, u"Data\\Old");
        EXPECT_EQ(records[1].name, u"Data\\New name");
        EXPECT_EQ(records[2].name, u"f.txt");
        EXPECT_EQ(records[3].action, 99u);
    }
}

TEST(ChangeRecords, MalformedBatchesYieldNothing) {
    const auto good = BatchBuilder().Add(1, u"abc").Add(2, u"de").Build();
    ASSERT_EQ(DecodeChangeRecords(good.data(), good.size()).size(), 2u);

    auto pastEnd = good;
    BatchBuilder::Put(pastEnd, 0, 4096);  // next offset beyond the batch
    auto odd = good;
    BatchBuilder::Put(odd, 8, 5);  // odd name length
    auto longName = good;
    BatchBuilder::Put(longName, 8, 1000);  // name runs past the batch
    auto overlapping = good;
    BatchBuilder::Put(overlapping, 0, 8);  // next record would start inside this one's name
    for (const auto* batch : {&pastEnd, &odd, &longName, &overlapping}) {
        EXPECT_TRUE(DecodeChangeRecords(batch->data(), batch->size()).empty());
    }
    EXPECT_TRUE(DecodeChangeRecords(good.data(), 11).empty()) << "shorter than one header";
    EXPECT_TRUE(DecodeChangeRecords(good.data(), good.size() - 2).empty()) << "truncated";
    EXPECT_TRUE(DecodeChangeRecords(nullptr, 100).empty());
}

TEST(ChangeRecords, RandomBytesNeverReadOutsideTheBatch) {
    // Run under the sanitizers: any read past the exact-size copy is reported.
    std::mt19937 random(7);
    const auto seed = BatchBuilder().Add(1, u"folder\\file").Add(3, u"x").Build();
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> batch = seed;
        for (int flips = 0; flips < 3; ++flips) batch[random() % batch.size()] = random() & 0xFF;
        batch.resize(random() % (batch.size() + 1));
        std::vector<uint8_t> exact(batch);  // its own allocation of exactly this size
        for (const ChangeRecord& record : DecodeChangeRecords(exact.data(), exact.size())) {
            EXPECT_LE(record.name.size() * 2, exact.size());
        }
    }
}

// Records applied to the tree exactly as the table of actions says.
TEST(ChangeRecords, AppliedRecordsFollowTheActionTable) {
    testing::FakeFileSystem fs;
    fs.SetDriveType(u'c', DriveType::Fixed);
    fs.AddFile(u"C:\\A\\B\\f", 10);
    fs.AddFile(u"C:\\A\\C\\g", 20);
    StdLock lock;
    FolderCache cache(fs, fs, lock);
    ASSERT_EQ(cache.GetFolderSize(u"C:"), 30u);

    struct Case {
        uint32_t action;
        bool removes;
        bool invalidates;
    } const cases[] = {{1, false, true}, {2, true, true},  {3, false, true},
                       {4, true, true},  {5, false, true}, {0, false, false},
                       {6, false, false}};
    for (const Case& c : cases) {
        cache.Reset();
        cache.GetFolderSize(u"C:");
        cache.ApplyChange(c.action, u"c:\\A\\B");
        bool bPresent = false;
        bool aValid = false;
        cache.VisitLocked([&](const CachedFolderView& folder) {
            if (folder.key == u"c:\\a\\b") bPresent = true;
            if (folder.key == u"c:\\a") aValid = folder.node.IsValid();
        });
        EXPECT_EQ(bPresent, !c.removes) << "action " << c.action;
        EXPECT_EQ(aValid, !c.invalidates) << "action " << c.action;
    }
}

// A read that failed, overflowed or holds malformed bytes stands for unknown changes on its drive.
TEST(ChangeRecords, UnusableBatchesMakeEveryFolderOfTheirDriveStale) {
    testing::FakeFileSystem fs;
    fs.SetDriveType(u'c', DriveType::Fixed);
    fs.SetDriveType(u'd', DriveType::Fixed);
    fs.AddFile(u"C:\\A\\f", 1);
    fs.AddFile(u"D:\\A\\f", 1);
    StdLock lock;
    FolderCache cache(fs, fs, lock);
    auto malformed = BatchBuilder().Add(3, u"A\\f").Build();
    BatchBuilder::Put(malformed, 8, 999);
    std::vector<uint8_t> none;
    uint64_t size = 1;
    for (const auto* batch : {&none, &malformed}) {
        cache.GetFolderSize(u"C:");
        cache.GetFolderSize(u"D:");
        fs.SetFileSize(u"C:\\A\\f", ++size);  // its record is lost or unreadable
        ApplyChangeBatch(cache, u"C:\\", batch->data(), batch->size());
        fs.ResetCounts();
        EXPECT_EQ(cache.GetFolderSize(u"C:"), size);
        EXPECT_EQ(cache.GetFolderSize(u"D:"), 1u);
        EXPECT_EQ(fs.Listings(u"d:"), 0) << "other drives stay cached";
    }
}

TEST(ChangeRecords, AGoodBatchTouchesOnlyTheFoldersItNames) {
    testing::FakeFileSystem fs;
    fs.SetDriveType(u'c', DriveType::Fixed);
    fs.AddFile(u"C:\\A\\f", 1);
    fs.AddFile(u"C:\\B\\g", 2);
    StdLock lock;
    FolderCache cache(fs, fs, lock);
    cache.GetFolderSize(u"C:");
    fs.SetFileSize(u"C:\\A\\f", 10);
    const auto batch = BatchBuilder(1).Add(1, u"A\\f").Add(3, u"A\\f").Build();
    ApplyChangeBatch(cache, u"C:\\", batch.data(), batch.size());
    fs.ResetCounts();
    EXPECT_EQ(cache.GetFolderSize(u"C:"), 12u);
    EXPECT_EQ(fs.Listings(u"c:\\a"), 1);
    EXPECT_EQ(fs.Listings(u"c:\\b"), 0);
}

}  // namespace
}  // namespace trovelle
