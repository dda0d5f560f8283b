// Folder totals as the window shows them, from the cache server's answers: a folder the server
// could not measure is told apart as gone or closed to the user, never shown as 0.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "CacheConnection.h"
#include "ColumnSettings.h"
#include "FolderContent.h"

namespace trovelle::browser {

// The server's answer for `folder`, one call.
ItemSizes AskFolderSizes(CacheConnection& cache, const std::wstring& folder);

// What an answer of `result` for `folder` means; `totals` counts only for S_OK.
ItemSizes SizesFromAnswer(const std::wstring& folder, HRESULT result, const ByteTotals& totals);

// The total of the subfolder `name` among those the server knew, if it knew it.
std::optional<ItemSizes> KnownSizes(const SubfolderTotals& known, const std::wstring& name);

// The text of a size (or size on disk) as the window shows it: the user's format, or what
// keeps it from being known.
std::wstring ShownSize(const ItemSizes& sizes, bool onDisk, const ColumnSettings& settings);

}  // namespace trovelle::browser
