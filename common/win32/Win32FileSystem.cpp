#include "Win32FileSystem.h"

#include <windows.h>

#include <string_view>

#include "DirectoryInformation.h"
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

std::vector<wchar_t> FixedDriveLetters() {
    std::vector<wchar_t> letters;
    for (wchar_t letter = L'a'; letter <= L'z'; ++letter) {
        if (DriveTypeOf(letter) == DriveType::Fixed) letters.push_back(letter);
    }
    return letters;
}

std::optional<std::wstring> FullPathName(const std::wstring& path) {
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::nullopt;
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0) return std::nullopt;
    if (length >= needed) {  // the current folder changed between the two calls
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return std::nullopt;
    }
    full.resize(length);
    return full;
}

bool IsEmptyFolder(const std::wstring& folder) {
    // Read through a handle that lets others delete the folder meanwhile: FindFirstFileW's
    // handle does not, and a user's deletion of the folder would fail while it is open.
    const UniqueKernelHandle handle = OpenFolderToList(LongPathForm(folder));
    if (!handle) return false;
    bool empty = true;
    const DirectoryRead read =
        ReadDirectory(handle.Get(), ::GetFileInformationByHandleEx, [&](const FILE_FULL_DIR_INFO& entry) {
            empty = IsDotOrDotDot(EntryName(entry));
            return empty;
        });
    return read == DirectoryRead::Complete && empty;
}

bool RunningUnderWine() {
    static const bool wine =
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

std::wstring DriveRoot(wchar_t letter) { return {letter, L':', L'\\'}; }

DriveType DriveTypeOf(wchar_t letter) {
    return static_cast<DriveType>(::GetDriveTypeW(DriveRoot(letter).c_str()));
}

DriveType Win32DriveTypes::TypeOfRoot(char16_t firstUnit) {
    return DriveTypeOf(static_cast<wchar_t>(firstUnit));
}

bool IsFolderPath(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(LongPathForm(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

uint64_t ClusterBytesOf(const std::wstring& folder) {
    wchar_t volume[MAX_PATH + 1];
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!::GetVolumePathNameW(folder.c_str(), volume, MAX_PATH + 1) ||
        !::GetDiskFreeSpaceW(volume, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
        return 0;
    }
    return uint64_t{sectorsPerCluster} * bytesPerSector;
}

}  // namespace trovelle
