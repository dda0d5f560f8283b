// Reads a folder's entries through an open handle, many to a call: each entry's name,
// attributes, length and allocation in one pass, which FindFirstFileW cannot give.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "UniqueHandle.h"

namespace trovelle {

// How the entries are asked for: GetFileInformationByHandleEx, or a stand-in in tests.
using DirectoryQuery = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

enum class DirectoryRead {
    Complete,  // every entry was visited (or the visitor stopped)
    Refused,   // the file system does not answer this class: nothing was visited
    Failed,    // the folder could not be read
};

// A folder opened only to list it; others may rename or delete it meanwhile.
UniqueKernelHandle OpenFolderToList(const std::wstring& path);

// The same for a folder named as the programs name folders: with or without its trailing
// separator ("D:" is the drive's root, not its current folder), at any length.
UniqueKernelHandle OpenNamedFolderToList(const std::wstring& folder);

inline std::wstring_view EntryName(const FILE_FULL_DIR_INFO& entry) {
    return {entry.FileName, entry.FileNameLength / sizeof(wchar_t)};
}

inline bool IsDotOrDotDot(std::wstring_view name) { return name == L"." || name == L".."; }

// Calls `visit` for each entry ("." and ".." among them) until it returns false. An error after
// the first entries ends the listing with what was read, as FindNextFileW does.
template <typename Visit>
DirectoryRead ReadDirectory(HANDLE folder, DirectoryQuery query, Visit&& visit) {
    // 64 KiB: what a network redirector answers at most in one call.
    alignas(LONGLONG) unsigned char buffer[64 * 1024];
    for (bool first = true;; first = false) {
        if (!query(folder, FileFullDirectoryInfo, buffer, sizeof buffer)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_NO_MORE_FILES || !first) return DirectoryRead::Complete;
            const bool refused = error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_LEVEL ||
                                 error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION;
            return refused ? DirectoryRead::Refused : DirectoryRead::Failed;
        }
        for (size_t at = 0;;) {
            const auto& entry = *reinterpret_cast<const FILE_FULL_DIR_INFO*>(buffer + at);
            if (!visit(entry)) return DirectoryRead::Complete;
            if (entry.NextEntryOffset == 0) break;
            at += entry.NextEntryOffset;
        }
    }
}

}  // namespace trovelle
