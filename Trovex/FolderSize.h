// A folder's totals summed here, for when the cache server cannot answer.
#pragma once

#include <cstdint>
#include <string>

#include "walk/FolderWalk.h"

namespace trovelle {

// Every file below the folder at any depth, hidden and system files included; what cannot be
// listed below it counts 0. Not measured when the folder is not there, or went meanwhile.
FolderSizes LocalFolderSum(const std::wstring& folder);

}  // namespace trovelle
