// A folder's total size, from the cache server or summed here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace trovelle {

// One server object per call, released at once. Fails only when the object cannot be created;
// a failing GetFolderSize gives whatever size the server left (0 unless it wrote one).
HRESULT CachedFolderSize(const std::wstring& folder, uint64_t& size);

// Every file below the folder at any depth, hidden and system files included; what cannot be
// listed counts 0.
uint64_t LocalFolderSum(const std::wstring& folder);

}  // namespace trovelle
