#include "PosixDirectoryLister.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "FolderCache.h"
#include "StdLock.h"

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

TEST_F(PosixListerTest, CountsHiddenFilesAndLogicalLengths) {
    Write(root / ".hidden", 10);
    Write(root / "a" / "b" / "f", 1000);
    fs::resize_file(root / "a" / "b" / "f", 1 << 20);  // sparse: logical length counts
    FolderCache cache(lister, drives, lock);
    EXPECT_EQ(cache.SumFolder(P(root)), 10u + (1u << 20));
}

TEST_F(PosixListerTest, SymlinkLoopIsCountedOnce) {
    Write(root / "a" / "f", 5);
    fs::create_directory_symlink(root, root / "a" / "b" / "loop");
    FolderCache cache(lister, drives, lock);
    EXPECT_EQ(cache.SumFolder(P(root)), 5u);
    EXPECT_EQ(cache.GetFolderSize(P(root)), 5u);
}

TEST_F(PosixListerTest, UnlistableFolderCountsZero) {
    std::vector<DirectoryEntry> entries;
    EXPECT_FALSE(lister.List(P(root / "missing"), entries));
    Write(root / "file", 3);
    EXPECT_FALSE(lister.List(P(root / "file"), entries));
    EXPECT_TRUE(entries.empty());
}

}  // namespace
}  // namespace trovelle
