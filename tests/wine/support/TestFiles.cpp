#include "TestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "UniqueHandle.h"

namespace trovelle::test {

void WriteFileOfSize(const std::wstring& path, uint64_t size) {
    UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << "cannot create " << ::testing::PrintToString(path);
    std::vector<char> block(static_cast<size_t>(size), 'x');
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.Get(), block.data(), static_cast<DWORD>(block.size()), &written,
                            nullptr));
    ASSERT_EQ(written, size);
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    UniqueFindHandle find(::FindFirstFileW((path + L"\\*").c_str(), &found));
    if (find) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const bool isLink = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (isFolder && !isLink) {
                RemoveTree(child);
            } else if (isFolder) {
                ::RemoveDirectoryW(child.c_str());
            } else {
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(find.Get(), &found));
    }
    ::RemoveDirectoryW(path.c_str());
}

namespace {

// Line `line` of the counts the fixture script wrote: "bytes bytes-on-disk".
ByteTotals FixtureLine(int line) {
    std::FILE* file = ::_wfopen(L"D:\\ondisk-expected.txt", L"r");
    EXPECT_NE(file, nullptr) << "the fixture script did not run";
    ByteTotals sizes;
    for (int at = 0; file != nullptr && at <= line; ++at) {
        unsigned long long bytes = 0, onDisk = 0;
        if (std::fscanf(file, "%llu %llu", &bytes, &onDisk) != 2) break;
        sizes = {bytes, onDisk};
    }
    if (file != nullptr) std::fclose(file);
    return sizes;
}

}  // namespace

ByteTotals OnDiskFixtureSizes() { return FixtureLine(0); }
ByteTotals DenseFixtureSizes() { return FixtureLine(1); }

}  // namespace trovelle::test
