// A folder's items as the window shows them in Explorer's own columns (name, size of files, type,
// date modified, icon), or the fixed and removable drives for the root above the drives.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "FolderContent.h"

namespace trovelle::browser {

// ERROR_SUCCESS when `folder` (kDrivesPath: the drives) was listed into `items`.
DWORD ListForBrowser(const std::wstring& folder, std::vector<BrowserItem>& items);

// The system's image list of small icons, which every item's icon index refers to.
HIMAGELIST SystemSmallIcons();

}  // namespace trovelle::browser
