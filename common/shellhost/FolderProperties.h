// A folder's Properties dialog built the way the shell builds it from the registry: every
// property sheet handler registered for folders adds its pages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace trovelle::host {

// The CLSIDs of the property sheet handlers the shell loads for `folder`: the keys under
// HKCR\<class>\shellex\PropertySheetHandlers of Directory (Drive for a drive's root) and Folder,
// named by a CLSID or holding one as their default value; each once, in that order.
std::vector<CLSID> FolderPropertySheetHandlers(const std::wstring& folder);

// Creates those handlers in-process, initialises each with the folder's data object, collects
// their pages and shows them in a modal property sheet owned by `owner`. Wine's own
// "properties" verb looks only under Folder (and adds no page of a Directory handler), so the
// window shows folders' properties through this. S_FALSE when no handler added a page.
HRESULT ShowFolderProperties(HWND owner, const std::wstring& folder);

}  // namespace trovelle::host
