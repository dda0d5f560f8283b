// Files and folders the Windows tests create and clean up.
#pragma once

#include <cstdint>
#include <string>

#include "index/Totals.h"

namespace trovelle::test {

// Creates or replaces `path` with `size` bytes of content.
void WriteFileOfSize(const std::wstring& path, uint64_t size);

// Removes a folder and everything under it; links are removed, never followed.
void RemoveTree(const std::wstring& path);

// The fixture D:\OnDisk (a 100 MB sparse file, dense files, a hard link) and its Dense
// subfolder: what their files hold and take, as Linux counted them when it made them.
inline constexpr wchar_t kOnDiskFixture[] = L"D:\\OnDisk";
ByteTotals OnDiskFixtureSizes();
ByteTotals DenseFixtureSizes();

}  // namespace trovelle::test
