// A folder's total size summed here, for when the cache server cannot answer.
#pragma once

#include <cstdint>
#include <string>

namespace trovelle {

// Every file below the folder at any depth, hidden and system files included; what cannot be
// listed counts 0.
uint64_t LocalFolderSum(const std::wstring& folder);

}  // namespace trovelle
