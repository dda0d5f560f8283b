#include "FolderItems.h"

#include <shlwapi.h>

#include <algorithm>
#include <cwchar>

#include "UniqueHandle.h"

namespace trovelle::host {

void FillColumnData(ListedItem& item, const std::wstring& fullPath, DWORD attributes) {
    item.data = {};
    item.data.dwFileAttributes = attributes;
    const size_t length = std::min<size_t>(fullPath.size(), MAX_PATH - 1);
    std::wmemcpy(item.data.wszFile, fullPath.data(), length);
    item.data.wszFile[length] = L'\0';
    item.data.pwszExt = ::PathFindExtensionW(item.data.wszFile);
}

std::vector<ListedItem> ListFolder(const std::wstring& folder, DWORD& error) {
    std::vector<ListedItem> items;
    std::wstring base = folder;
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    WIN32_FIND_DATAW found;
    UniqueFindHandle find(::FindFirstFileW((base + L"\\*").c_str(), &found));
    error = find ? ERROR_SUCCESS : ::GetLastError();
    if (!find) {
        // A drive root has no "." entry: an empty one finds nothing, yet it was listed.
        const DWORD attributes = ::GetFileAttributesW((base + L"\\").c_str());
        if (error == ERROR_FILE_NOT_FOUND && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            error = ERROR_SUCCESS;
        }
        return items;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        ListedItem item;
        item.name = name;
        item.data.dwFileAttributes = found.dwFileAttributes;
        item.size = (uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
        item.lastWrite = found.ftLastWriteTime;
        items.push_back(std::move(item));
    } while (::FindNextFileW(find.Get(), &found));

    std::sort(items.begin(), items.end(), [](const ListedItem& a, const ListedItem& b) {
        const bool aFolder = (a.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const bool bFolder = (b.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (aFolder != bFolder) return aFolder;
        return ::lstrcmpiW(a.name.c_str(), b.name.c_str()) < 0;
    });
    // Paths are filled once the items sit in their final places.
    for (ListedItem& item : items) {
        FillColumnData(item, base + L"\\" + item.name, item.data.dwFileAttributes);
    }
    return items;
}

}  // namespace trovelle::host
