// Deleting and renaming items the way Explorer does: through the shell's file operation, with
// its confirmations, undo and Recycle Bin.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace trovelle::host {

// Sends `paths` to the Recycle Bin, or with `permanently` deletes them. With `ask` the shell
// confirms first (and warns when an item cannot be recycled); without it nothing is asked and no
// error is shown (for callers that already asked). Uses IFileOperation, and SHFileOperationW
// where that is missing or not implemented (Wine). S_OK when done,
// HRESULT_FROM_WIN32(ERROR_CANCELLED) when the user said no.
HRESULT DeleteItems(HWND owner, const std::vector<std::wstring>& paths, bool permanently,
                    bool ask = true);

// Renames one item in place to `newName` (a name, not a path). A name that is taken is
// HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS); a name with a separator or another character
// Windows refuses is HRESULT_FROM_WIN32(ERROR_INVALID_NAME).
HRESULT RenameItem(HWND owner, const std::wstring& path, const std::wstring& newName);

}  // namespace trovelle::host
