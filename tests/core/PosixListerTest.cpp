#include "system/PosixDirectoryLister.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "cache/FolderCache.h"
#include "system/StdLock.h"

namespace trovelle {
namespace {

namespace fs = std::filesystem;

class FixedDrives : public DriveTypeQuery {
public:
    DriveType TypeOfRoot(char16_t) override { return DriveType::Fixed; }
};

class PosixListerTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("trovelle-lister-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "a" / "b");
    }
    void TearDown() override { fs::remove_all(root); }
    void Write(const fs::path& path, size_t bytes) {
        std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
    }
    Path P(const fs::path& path) { return FromNativePath(path.string()); }

    fs::path root;
    PosixDirectoryLister lister;
    FixedDrives drives;
    StdLock lock;
};

TEST_F(PosixListerTest, CountsHiddenFilesWithTheirLengthsAndTheBlocksTheyTake) {
    Write(root / ".hidden", 10);
    Write(root / "a" / "b" / "f", 1000);
    fs::resize_file(root / "a" / "b" / "f", 1 << 20);  // sparse: the rest of it takes no blocks
    const auto blocks = [](const fs::path& file) {
        struct stat info {};
        EXPECT_EQ(::stat(file.c_str(), &info), 0);
        return static_cast<uint64_t>(info.st_blocks) * 512;
    };
    FolderCache cache(lister, drives, lock);
    const ByteTotals sum = cache.SumFolder(P(root));
    EXPECT_EQ(sum.bytes, 10u + (1u << 20));
    EXPECT_EQ(sum.onDisk, blocks(root / ".hidden") + blocks(root / "a" / "b" / "f"));
    EXPECT_LT(sum.onDisk, 1u << 20);
}

TEST_F(PosixListerTest, SymlinkLoopIsCountedOnce) {
    Write(root / "a" / "f", 5);
    fs::create_directory_symlink(root, root / "a" / "b" / "loop");
    FolderCache cache(lister, drives, lock);
    EXPECT_EQ(cache.SumFolder(P(root)).bytes, 5u);
    EXPECT_EQ(cache.GetFolderSize(P(root)), 5u);
}

TEST_F(PosixListerTest, UnlistableFolderCountsZero) {
    std::vector<DirectoryEntry> entries;
    EXPECT_FALSE(lister.List(P(root / "missing"), entries));
    Write(root / "file", 3);
    EXPECT_FALSE(lister.List(P(root / "file"), entries));
    EXPECT_TRUE(entries.empty());
}

TEST_F(PosixListerTest, AFolderReplacedBetweenScansIsListedAnew) {
    Write(root / "a" / "b" / "f", 5);
    FolderCache cache(lister, drives, lock);
    EXPECT_EQ(cache.SumFolder(P(root / "a")).bytes, 5u);
    // The folder the first scan went through now has another name; a new one took its own.
    fs::rename(root / "a", root / "old");
    fs::create_directories(root / "a" / "b");
    Write(root / "a" / "b" / "f", 7);
    EXPECT_EQ(cache.SumFolder(P(root / "a" / "b")).bytes, 7u);
    EXPECT_EQ(cache.ScanFolder(P(root / "a" / "b")).bytes, 7u);
}

TEST_F(PosixListerTest, SubfoldersWhoseNamesDifferOnlyInCaseAreBothCounted) {
    // A case-sensitive file system holds both; each counts once, whichever is listed first.
    fs::create_directories(root / "a" / "Foo");
    fs::create_directories(root / "a" / "foo" / "Deep");
    Write(root / "a" / "Foo" / "f", 100);
    Write(root / "a" / "foo" / "Deep" / "g", 20);
    FolderCache cache(lister, drives, lock);  // native paths are scanned through the tree
    EXPECT_EQ(cache.ScanFolder(P(root / "a")).bytes, 120u);
    EXPECT_EQ(cache.ScanFolder(P(root)).bytes, 120u);

    Write(root / "a" / "foo" / "Deep" / "g", 30);
    cache.ApplyChange(kActionModified, P(root / "a" / "foo" / "Deep" / "g"));
    Write(root / "a" / "Foo" / "f", 300);
    cache.ApplyChange(kActionModified, P(root / "a" / "Foo" / "f"));
    EXPECT_EQ(cache.ScanFolder(P(root)).bytes, 330u);
    EXPECT_EQ(cache.ScanFolder(P(root / "a")).bytes, 330u);
}

}  // namespace
}  // namespace trovelle
