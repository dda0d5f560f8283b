// Files and folders the Windows tests create and clean up.
#pragma once

#include <cstdint>
#include <string>

namespace trovelle::test {

// Creates or replaces `path` with `size` bytes of content.
void WriteFileOfSize(const std::wstring& path, uint64_t size);

// Removes a folder and everything under it; links are removed, never followed.
void RemoveTree(const std::wstring& path);

}  // namespace trovelle::test
