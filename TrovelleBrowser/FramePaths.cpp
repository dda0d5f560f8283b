#include "FramePaths.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "FolderContent.h"
#include "ParentFolder.h"
#include "Win32FileSystem.h"

namespace trovelle::browser {
namespace {

constexpr wchar_t kDrivesName[] = L"Drives";

bool IsDriveRoot(const std::wstring& path) {
    return path.size() == 3 && path[1] == L':' && path[2] == L'\\';
}

std::wstring Trimmed(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L" \t\"");
    if (first == std::wstring::npos) return {};
    const size_t last = text.find_last_not_of(L" \t\"");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::optional<std::wstring> FolderPathFrom(std::wstring text, const std::wstring& current) {
    text = Trimmed(text);
    if (text.empty()) return std::nullopt;
    if (text == kDrivesName) return std::wstring(kDrivesPath);
    const DWORD expandedLength = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (expandedLength > 0) {
        std::vector<wchar_t> expanded(expandedLength);
        ::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), expandedLength);
        text = expanded.data();
    }
    if (text.size() == 2 && text[1] == L':') text += L'\\';  // "C:" means the root, not C's
                                                            // current folder
    if (::PathIsRelativeW(text.c_str()) && current != kDrivesPath) text = current + L"\\" + text;
    std::optional<std::wstring> full = FullPathName(text);
    if (!full) return std::nullopt;
    std::wstring folder = std::move(*full);
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    return folder;
}

std::optional<std::wstring> FolderAbove(const std::wstring& folder) {
    if (folder == kDrivesPath) return std::nullopt;
    if (IsDriveRoot(folder) || !HasParentFolder(folder)) return std::wstring(kDrivesPath);
    std::wstring parent(ParentFolder(folder));
    if (parent.size() == 2 && parent[1] == L':') parent += L'\\';
    const bool serverOnly =
        parent.compare(0, 2, L"\\\\") == 0 && parent.find(L'\\', 2) == std::wstring::npos;
    if (parent.size() < 3 || serverOnly) {
        return std::wstring(kDrivesPath);  // above a share's root
    }
    return parent;
}

std::wstring DisplayName(const std::wstring& folder) {
    return folder == kDrivesPath ? kDrivesName : folder;
}

std::wstring ProfileFolder() {
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Profile, 0, nullptr, &path))) folder = path;
    ::CoTaskMemFree(path);
    return folder.empty() ? std::wstring(kDrivesPath) : folder;
}

}  // namespace trovelle::browser
