#include "Win32DirectoryLister.h"

#include "system/FileAllocation.h"
#include "UniqueHandle.h"
#include "WideText.h"
#include "Win32FileSystem.h"

namespace trovelle {
namespace {

thread_local bool t_yieldBeforeListing = false;

uint64_t Unsigned(const LARGE_INTEGER& value) {
    // A file system that reports a negative count reports nothing usable.
    return value.QuadPart < 0 ? 0 : static_cast<uint64_t>(value.QuadPart);
}

DirectoryEntry EntryOf(std::wstring_view name, DWORD attributes) {
    DirectoryEntry entry;
    entry.name = ToCore(name);
    entry.isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.isLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return entry;
}

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

void Win32DirectoryLister::YieldBeforeEachListingOnThisThread() { t_yieldBeforeListing = true; }

bool Win32DirectoryLister::List(const Path& folder, std::vector<DirectoryEntry>& entries) {
    entries.clear();
    if (cancelled_) return false;
    if (t_yieldBeforeListing) ::SwitchToThread();
    ++listings_;
    const std::wstring path = ToWide(folder);
    const UniqueKernelHandle handle = OpenNamedFolderToList(path);
    if (!handle) return false;
    const DirectoryRead read = ReadDirectory(handle.Get(), query_, [&](const FILE_FULL_DIR_INFO& found) {
        DirectoryEntry& entry = entries.emplace_back(EntryOf(EntryName(found), found.FileAttributes));
        if (!entry.isFolder) {
            entry.size = Unsigned(found.EndOfFile);
            entry.allocation = Unsigned(found.AllocationSize);
        }
        return true;
    });
    if (read != DirectoryRead::Refused) return read == DirectoryRead::Complete;
    ++fallbacks_;
    return ListByName(path, entries);
}

bool Win32DirectoryLister::ListByName(const std::wstring& folder, std::vector<DirectoryEntry>& entries) {
    WIN32_FIND_DATAW found;
    const UniqueFindHandle find(::FindFirstFileExW(LongPathForm(folder + L"\\*.*").c_str(),
                                                   FindExInfoBasic, &found, FindExSearchNameMatch,
                                                   nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return false;
    const uint64_t cluster = ClusterBytesOf(folder);
    do {
        DirectoryEntry& entry = entries.emplace_back(EntryOf(found.cFileName, found.dwFileAttributes));
        if (!entry.isFolder) {
            entry.size = (uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
            entry.allocation = AllocationFromLength(found.dwFileAttributes, entry.size, cluster);
        }
    } while (::FindNextFileW(find.Get(), &found));
    return true;
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

bool Win32DirectoryLister::IsFolder(const Path& path) { return IsFolderPath(ToWide(path)); }

bool Win32DirectoryLister::Identify(const Path& folder, FolderIdentity& identity) {
    UniqueKernelHandle handle = OpenForQuery(folder);
    if (!handle) return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle.Get(), &info)) return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.file = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return true;
}

}  // namespace trovelle
