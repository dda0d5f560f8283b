// The Win32 lister and drive choice against Wine's real file system and drives.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "cache/FolderCache.h"
#include "CriticalSection.h"
#include "TestFiles.h"
#include "UniqueHandle.h"
#include "WideText.h"
#include "Win32DirectoryLister.h"
#include "Win32FileSystem.h"

namespace trovelle {
namespace {

void WriteFile(const std::wstring& path, DWORD bytes, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    UniqueKernelHandle file(::CreateFileW(LongPathForm(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, attributes, nullptr));
    ASSERT_TRUE(file) << "cannot create " << ::GetLastError();
    ::SetFilePointer(file.Get(), static_cast<LONG>(bytes), nullptr, FILE_BEGIN);
    ASSERT_TRUE(::SetEndOfFile(file.Get()));
}

void MakeFolder(const std::wstring& path) {
    ::CreateDirectoryW(LongPathForm(path).c_str(), nullptr);
}

class FileSystemFixture : public ::testing::Test {
protected:
    uint64_t Ask(const std::wstring& path) { return cache.GetFolderSize(ToCore(path)); }

    Win32DirectoryLister lister;
    Win32DriveTypes drives;
    CriticalSection lock;
    FolderCache cache{lister, drives, lock};
};

using Win32Lister = FileSystemFixture;
using DriveChoice = FileSystemFixture;

TEST_F(Win32Lister, CountsHiddenAndSystemFilesAtTheirLogicalLength) {
    const std::wstring root = L"D:\\lister-attributes";
    MakeFolder(root);
    MakeFolder(root + L"\\sub");
    WriteFile(root + L"\\plain.txt", 1000);
    WriteFile(root + L"\\hidden.txt", 20, FILE_ATTRIBUTE_HIDDEN);
    WriteFile(root + L"\\sub\\system.sys", 300, FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    WriteFile(root + L"\\sub\\big.bin", 5u << 20);
    EXPECT_EQ(Ask(root), 1000u + 20u + 300u + (5u << 20));
    EXPECT_EQ(cache.SumFolder(ToCore(root)).bytes, 1000u + 20u + 300u + (5u << 20));
}

TEST_F(Win32Lister, MeasuresFoldersBeyondTheClassicPathLimit) {
    std::wstring path = L"D:\\lister-long";
    MakeFolder(path);
    const std::wstring segment(60, L'n');
    for (int level = 0; level < 16; ++level) {  // about 1,000 units deep
        path += L"\\" + segment;
        MakeFolder(path);
        WriteFile(path + L"\\f", 7);
    }
    ASSERT_GT(path.size(), 900u);
    EXPECT_EQ(Ask(L"D:\\lister-long"), 16u * 7u);
    EXPECT_EQ(Ask(path), 7u);
    EXPECT_EQ(cache.SumFolder(ToCore(L"D:\\lister-long")).bytes, 16u * 7u);
}

TEST_F(Win32Lister, DirectorySymlinkLoopIsCountedOnce) {
    // The fixture script made D:\loop\a\back, a Linux symlink to D:\loop.
    std::vector<DirectoryEntry> entries;
    ASSERT_TRUE(lister.List(u"D:\\loop\\a", entries));
    bool sawLink = false;
    for (const DirectoryEntry& entry : entries) {
        if (entry.name == u"back") sawLink = entry.isFolder && entry.isLink;
    }
    EXPECT_TRUE(sawLink) << "Wine shows the symlink as a directory reparse point";
    EXPECT_EQ(Ask(L"D:\\loop"), 3u);
    EXPECT_EQ(cache.SumFolder(u"D:\\loop").bytes, 3u);
}

TEST_F(Win32Lister, BadPathsAnswerZeroWithoutFaulting) {
    WriteFile(L"D:\\lister-file.txt", 10);
    EXPECT_EQ(Ask(L"D:\\no such folder"), 0u);
    EXPECT_EQ(Ask(L"D:\\lister-file.txt"), 0u);
    EXPECT_EQ(Ask(L""), 0u);
    EXPECT_EQ(Ask(std::wstring(40000, L'x')), 0u);
    EXPECT_EQ(Ask(L"D:\\" + std::wstring(40000, L'y')), 0u);
}

TEST_F(Win32Lister, NamesEndingInADotOrABlankAndDeviceNamesAreTakenAsNamed) {
    // Made through the long-path prefix, as only such names can be made; without it the
    // system would read "name." and "name " as "name", and COM1 as the serial port.
    const std::wstring root = L"D:\\lister-names";
    for (const wchar_t* name : {L"", L"\\name", L"\\name.", L"\\name ", L"\\COM1"}) {
        MakeFolder(root + name);
    }
    WriteFile(root + L"\\name\\f", 5);
    WriteFile(root + L"\\name.\\f", 70);
    WriteFile(root + L"\\name \\f", 300);
    WriteFile(root + L"\\COM1\\f", 4000);
    EXPECT_EQ(cache.SumFolder(ToCore(root)).bytes, 4375u);
    EXPECT_EQ(Ask(root), 4375u);
    EXPECT_EQ(Ask(root + L"\\COM1"), 4000u);
    std::vector<DirectoryEntry> entries;
    ASSERT_TRUE(lister.List(ToCore(root + L"\\name."), entries));
    bool sawItsOwnFile = false;
    for (const DirectoryEntry& entry : entries) sawItsOwnFile |= entry.name == u"f" && entry.size == 70;
    EXPECT_TRUE(sawItsOwnFile);
}

// One listing gives what each file holds and takes: the sparse file takes nothing, the hard
// link counts at each of its names, as Explorer's Properties counts them.
TEST_F(Win32Lister, ReadsWhatFilesHoldAndTakeFromOneListing) {
    EXPECT_EQ(cache.GetFolderSizes(ToCore(test::kOnDiskFixture)).totals, test::OnDiskFixtureSizes());
    EXPECT_EQ(test::OnDiskFixtureSizes().bytes, (100u << 20) + 2 * 1000000u + 4097u);
    EXPECT_EQ(lister.FallbackCount(), 0u) << "Wine answers the directory information class";
}

// Some file systems (network redirectors among them) refuse the directory information classes.
BOOL WINAPI RefuseTheClass(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

TEST_F(Win32Lister, AFileSystemThatRefusesTheClassIsListedByName) {
    Win32DirectoryLister refused(RefuseTheClass);
    FolderCache byName(refused, drives, lock);
    // Dense files fill whole clusters either way; a sparse one cannot be told without opening it.
    EXPECT_EQ(byName.GetFolderSizes(ToCore(test::kOnDiskFixture + std::wstring(L"\\Dense"))).totals,
              test::DenseFixtureSizes());
    EXPECT_EQ(byName.GetFolderSizes(ToCore(test::kOnDiskFixture)).totals.bytes,
              test::OnDiskFixtureSizes().bytes);
    EXPECT_EQ(refused.FallbackCount(), refused.ListingCount());
    std::vector<DirectoryEntry> entries;
    EXPECT_FALSE(refused.List(u"D:\\no such folder", entries));
}

TEST_F(DriveChoice, FixedDrivesAreCachedAndOthersSummedEveryTime) {
    for (const wchar_t* root : {L"D:\\choice", L"E:\\choice", L"N:\\choice", L"R:\\choice"}) {
        MakeFolder(root);
        MakeFolder(std::wstring(root) + L"\\sub");
    }
    // The optical drive is a read-only medium for programs; the fixture filled it.
    for (const wchar_t* root : {L"D:\\choice", L"E:\\choice", L"N:\\choice"}) {
        WriteFile(std::wstring(root) + L"\\sub\\f", 4096);
    }
    EXPECT_EQ(Ask(L"D:\\choice"), 4096u);
    const size_t cached = cache.CachedFolderCount();
    EXPECT_EQ(cached, 2u);

    for (const wchar_t* root : {L"E:\\choice", L"N:\\choice"}) {
        const uint64_t before = lister.ListingCount();
        EXPECT_EQ(Ask(root), 4096u) << root;
        EXPECT_EQ(Ask(root), 4096u) << root;
        EXPECT_EQ(lister.ListingCount() - before, 4u) << "summed in full on every request";
    }
    EXPECT_EQ(Ask(L"R:\\choice"), 2048u);
    Ask(L"\\\\server\\share\\folder");
    EXPECT_EQ(cache.CachedFolderCount(), cached) << "only fixed drives enter the index";
}

TEST_F(DriveChoice, SpellingsOfOneFolderShareItsNode) {
    MakeFolder(L"D:\\Spelling");
    WriteFile(L"D:\\Spelling\\f", 5);
    EXPECT_EQ(Ask(L"D:\\Spelling"), 5u);
    const uint64_t before = lister.ListingCount();
    EXPECT_EQ(Ask(L"d:\\SPELLING"), 5u);
    EXPECT_EQ(lister.ListingCount(), before);
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_NE(::GetShortPathNameW(L"D:\\Spelling", shortName, MAX_PATH), 0u);
    for (const wchar_t* spelling : {L"D:/Spelling", L"D:\\Spelling\\", L"D:\\Spelling\\.",
                                    L"\\\\?\\D:\\Spelling", L"D:\\x\\..\\Spelling",
                                    static_cast<const wchar_t*>(shortName)}) {
        EXPECT_EQ(Ask(spelling), 5u) << ToCore(spelling).size();
    }
    EXPECT_EQ(lister.ListingCount(), before) << "every spelling answers from the one node";
    EXPECT_EQ(cache.CachedFolderCount(), 1u);
}

}  // namespace
}  // namespace trovelle
