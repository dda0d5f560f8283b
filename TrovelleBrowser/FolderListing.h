// A folder's items as the window shows them in Explorer's own columns (name, size of files, type,
// date modified, icon), or the fixed and removable drives for the root above the drives.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "FolderContent.h"

namespace trovelle::browser {

// ERROR_SUCCESS when `folder` (kDrivesPath: the drives) was listed into `items` (at most
// `limit` of them), folders first, each by name.
DWORD ListForBrowser(const std::wstring& folder, std::vector<BrowserItem>& items,
                     size_t limit = SIZE_MAX);

// A time as the user's locale writes a date and time ("12/8/2026 11:51 PM"); asked only for
// the rows shown, as it costs more than the listing of a large folder.
std::wstring DateText(const FILETIME& time);

// The system's image list of small icons, which every item's icon index refers to.
HIMAGELIST SystemSmallIcons();

}  // namespace trovelle::browser
