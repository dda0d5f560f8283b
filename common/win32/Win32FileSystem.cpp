#include "Win32FileSystem.h"

#include <windows.h>

#include <string_view>

#include "UniqueHandle.h"
#include "WideText.h"

namespace trovelle {
namespace {

// Leaves room for the "\*.*" pattern and a child name within the classic limit.
constexpr size_t kClassicLimit = MAX_PATH - 12;

bool IsDriveAbsolute(const std::wstring& path) {
    return path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
}

// "x:\name\name" with no empty, "." or ".." name: a path the prefix can be put before as it is.
bool IsCanonicalDrivePath(const std::wstring& path) {
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return false;
    for (size_t start = 3; start <= path.size();) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        const size_t length = end - start;
        if (length == 0 && end != path.size()) return false;
        if ((length == 1 || length == 2) && path.compare(start, length, L"..", 0, length) == 0) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

std::wstring LongPathForm(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    // With the prefix the system opens a path as it is named: a name ending in a dot or a blank
    // stays itself, and a device name (C:\COM1\x) is just a name.
    if (IsCanonicalDrivePath(path)) return L"\\\\?\\" + path;
    if (path.size() < kClassicLimit) return path;
    if (IsDriveAbsolute(path)) return L"\\\\?\\" + path;
    if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    return path;  // relative or unusual forms stay as given; they fail like any unlistable path
}

namespace {
thread_local bool t_yieldBeforeListing = false;
}  // namespace

void Win32DirectoryLister::YieldBeforeEachListingOnThisThread() { t_yieldBeforeListing = true; }

bool Win32DirectoryLister::List(const Path& folder, std::vector<DirectoryEntry>& entries) {
    entries.clear();
    if (cancelled_) return false;
    if (t_yieldBeforeListing) ::SwitchToThread();
    ++listings_;
    const std::wstring pattern = LongPathForm(ToWide(folder) + L"\\*.*");
    WIN32_FIND_DATAW found;
    UniqueFindHandle find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return false;
    do {
        DirectoryEntry entry;
        entry.name = ToCore(found.cFileName);
        entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.isLink = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entry.size = (uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
        if (entry.isFolder) entry.size = 0;
        entries.push_back(std::move(entry));
    } while (::FindNextFileW(find.Get(), &found));
    return true;
}

namespace {

// Opens a folder (following links) just to ask about it.
UniqueKernelHandle OpenForQuery(const Path& folder) {
    const std::wstring path = LongPathForm(ToWide(folder));
    return UniqueKernelHandle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                            nullptr));
}

std::wstring WithoutLongPathPrefix(std::wstring path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

}  // namespace

std::vector<wchar_t> FixedDriveLetters() {
    std::vector<wchar_t> letters;
    for (wchar_t letter = L'a'; letter <= L'z'; ++letter) {
        if (DriveTypeOf(letter) == DriveType::Fixed) letters.push_back(letter);
    }
    return letters;
}

bool IsEmptyFolder(const std::wstring& folder) {
    // Read through a handle that lets others delete the folder meanwhile: FindFirstFileW's
    // handle does not, and a user's deletion of the folder would fail while it is open.
    const UniqueKernelHandle handle(::CreateFileW(
        LongPathForm(folder).c_str(), FILE_LIST_DIRECTORY,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return false;
    alignas(8) unsigned char buffer[4096];
    while (::GetFileInformationByHandleEx(handle.Get(), FileIdBothDirectoryInfo, buffer, sizeof buffer)) {
        for (size_t at = 0;;) {
            const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer + at);
            const std::wstring_view name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") return false;
            if (entry->NextEntryOffset == 0) break;
            at += entry->NextEntryOffset;
        }
    }
    return ::GetLastError() == ERROR_NO_MORE_FILES;
}

bool RunningUnderWine() {
    static const bool wine =
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

bool Win32DirectoryLister::ResolveLink(const Path& link, Path& target) {
    UniqueKernelHandle handle = OpenForQuery(link);
    if (!handle) return false;
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(handle.Get(), path.data(),
                                                         static_cast<DWORD>(path.size()),
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return false;
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(length + 1);
    }
    target = ToCore(WithoutLongPathPrefix(std::move(path)));
    return true;
}

bool Win32DirectoryLister::ExpandShortNames(const Path& path, Path& longPath) {
    const std::wstring shortPath = LongPathForm(ToWide(path));
    const DWORD needed = ::GetLongPathNameW(shortPath.c_str(), nullptr, 0);
    if (needed == 0) return false;
    std::wstring expanded(needed, L'\0');
    const DWORD length = ::GetLongPathNameW(shortPath.c_str(), expanded.data(), needed);
    if (length == 0 || length >= needed) return false;
    expanded.resize(length);
    longPath = ToCore(WithoutLongPathPrefix(std::move(expanded)));
    return true;
}

bool Win32DirectoryLister::IsFolder(const Path& path) {
    const DWORD attributes = ::GetFileAttributesW(LongPathForm(ToWide(path)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32DirectoryLister::Identify(const Path& folder, FolderIdentity& identity) {
    UniqueKernelHandle handle = OpenForQuery(folder);
    if (!handle) return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle.Get(), &info)) return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.file = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return true;
}

std::wstring DriveRoot(wchar_t letter) { return {letter, L':', L'\\'}; }

DriveType DriveTypeOf(wchar_t letter) {
    return static_cast<DriveType>(::GetDriveTypeW(DriveRoot(letter).c_str()));
}

DriveType Win32DriveTypes::TypeOfRoot(char16_t firstUnit) {
    return DriveTypeOf(static_cast<wchar_t>(firstUnit));
}

}  // namespace trovelle
