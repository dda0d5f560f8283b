#include "ProgramFolder.h"

#include <windows.h>

#include "ParentFolder.h"

namespace trovelle::properties {

std::optional<std::wstring> BesidePath(std::wstring_view programPath, std::wstring_view suffix) {
    if (!HasParentFolder(programPath)) return std::nullopt;
    std::wstring path(ParentFolder(programPath));
    path += suffix;
    // Other programs read these paths into MAX_PATH buffers: a longer one would arrive cut.
    if (path.size() >= MAX_PATH) return std::nullopt;
    return path;
}

std::optional<std::wstring> BesideProgram(std::wstring_view suffix) {
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    if (length == 0 || length >= MAX_PATH * 2) return std::nullopt;
    return BesidePath(std::wstring_view(path, length), suffix);
}

}  // namespace trovelle::properties
