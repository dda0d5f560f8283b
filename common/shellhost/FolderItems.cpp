#include "FolderItems.h"

#include <shlwapi.h>

#include <algorithm>
#include <cwchar>

#include "DirectoryInformation.h"
#include "UniqueHandle.h"
#include "Win32FileSystem.h"
#include "system/FileAllocation.h"

namespace trovelle::host {

void FillColumnData(ListedItem& item, const std::wstring& fullPath, DWORD attributes) {
    item.data = {};
    item.data.dwFileAttributes = attributes;
    const size_t length = std::min<size_t>(fullPath.size(), MAX_PATH - 1);
    std::wmemcpy(item.data.wszFile, fullPath.data(), length);
    item.data.wszFile[length] = L'\0';
    item.data.pwszExt = ::PathFindExtensionW(item.data.wszFile);
}

namespace {

ListedItem ItemOf(std::wstring_view name, DWORD attributes, uint64_t size, const FILETIME& lastWrite) {
    ListedItem item;
    item.name = name;
    item.data.dwFileAttributes = attributes;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) item.size = size;
    item.lastWrite = lastWrite;
    return item;
}

uint64_t Unsigned(const LARGE_INTEGER& value) { return value.QuadPart < 0 ? 0 : value.QuadPart; }

// Where a file system refuses directory information: FindFirstFileW, each file taken to fill
// whole clusters.
DWORD ListByName(const std::wstring& base, std::vector<ListedItem>& items, size_t limit) {
    WIN32_FIND_DATAW found;
    UniqueFindHandle find(::FindFirstFileW(LongPathForm(base + L"\\*").c_str(), &found));
    if (!find) return ::GetLastError();
    const uint64_t cluster = ClusterBytesOf(base + L"\\");
    do {
        if (IsDotOrDotDot(found.cFileName)) continue;
        ListedItem& item = items.emplace_back(
            ItemOf(found.cFileName, found.dwFileAttributes,
                   (uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow, found.ftLastWriteTime));
        item.allocation = AllocationFromLength(found.dwFileAttributes, item.size, cluster);
    } while (items.size() < limit && ::FindNextFileW(find.Get(), &found));
    return ERROR_SUCCESS;
}

}  // namespace

std::vector<ListedItem> ListFolder(const std::wstring& folder, DWORD& error, ItemOrder order,
                                   size_t limit) {
    std::vector<ListedItem> items;
    std::wstring base = folder;
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    const UniqueKernelHandle handle = OpenNamedFolderToList(base);
    if (!handle) {
        error = ::GetLastError();
        return items;
    }
    error = ERROR_SUCCESS;
    const DirectoryRead read = ReadDirectory(handle.Get(), ::GetFileInformationByHandleEx,
                                             [&](const FILE_FULL_DIR_INFO& found) {
        if (IsDotOrDotDot(EntryName(found))) return true;
        FILETIME lastWrite = {found.LastWriteTime.LowPart,
                              static_cast<DWORD>(found.LastWriteTime.HighPart)};
        ListedItem& item = items.emplace_back(
            ItemOf(EntryName(found), found.FileAttributes, Unsigned(found.EndOfFile), lastWrite));
        if ((found.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            item.allocation = Unsigned(found.AllocationSize);
        }
        return items.size() < limit;
    });
    if (read == DirectoryRead::Refused) error = ListByName(base, items, limit);
    if (read == DirectoryRead::Failed) error = ::GetLastError();

    if (order == ItemOrder::FoldersFirstByName) {
        std::sort(items.begin(), items.end(), [](const ListedItem& a, const ListedItem& b) {
            const bool aFolder = (a.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const bool bFolder = (b.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (aFolder != bFolder) return aFolder;
            return ::lstrcmpiW(a.name.c_str(), b.name.c_str()) < 0;
        });
    }
    // Paths are filled once the items sit in their final places.
    for (ListedItem& item : items) {
        FillColumnData(item, base + L"\\" + item.name, item.data.dwFileAttributes);
    }
    return items;
}

}  // namespace trovelle::host
