#include "FolderListing.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <map>
#include <utility>

#include "FolderItems.h"
#include "RowOrder.h"
#include "WideText.h"
#include "Win32FileSystem.h"
#include "view/NaturalOrder.h"

namespace trovelle::browser {
namespace {

struct ShellLook {
    int icon = 0;
    std::wstring type;
};

// Icon and type name by kind of item rather than per file: asking the shell for each file of a
// large folder would cost far more than the listing itself.
class ShellLooks {
public:
    const ShellLook& Of(const std::wstring& name, DWORD attributes) {
        const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        std::wstring extension = folder ? L"" : ::PathFindExtensionW(name.c_str());
        ::CharLowerBuffW(extension.data(), static_cast<DWORD>(extension.size()));
        auto [place, added] = looks_.try_emplace({folder, extension});
        if (added) {
            SHFILEINFOW info = {};
            const std::wstring probe = folder ? L"folder" : L"file" + extension;
            ::SHGetFileInfoW(probe.c_str(), folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL,
                             &info, sizeof(info),
                             SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON |
                                 SHGFI_TYPENAME);
            place->second = {info.iIcon, info.szTypeName};
        }
        return place->second;
    }

private:
    std::map<std::pair<bool, std::wstring>, ShellLook> looks_;
};


DWORD ListDrives(std::vector<BrowserItem>& items) {
    wchar_t roots[512] = {};
    const DWORD length = ::GetLogicalDriveStringsW(static_cast<DWORD>(std::size(roots)), roots);
    if (length == 0 || length >= std::size(roots)) return ::GetLastError();
    for (const wchar_t* root = roots; *root != L'\0'; root += ::wcslen(root) + 1) {
        const DriveType type = DriveTypeOf(root[0]);
        if (type != DriveType::Fixed && type != DriveType::Removable) continue;
        SHFILEINFOW info = {};
        ::SHGetFileInfoW(root, 0, &info, sizeof(info),
                         SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        BrowserItem& item = items.emplace_back();
        item.path = root;
        item.name = info.szDisplayName[0] != L'\0' ? info.szDisplayName : root;
        item.attributes = FILE_ATTRIBUTE_DIRECTORY;
        item.icon = info.iIcon;
        item.typeText = info.szTypeName;
        item.sortKey = NaturalKey(ToCore(item.name));
    }
    return ERROR_SUCCESS;
}

}  // namespace

DWORD ListForBrowser(const std::wstring& folder, std::vector<BrowserItem>& items, size_t limit) {
    items.clear();
    if (folder == kDrivesPath) {
        const DWORD error = ListDrives(items);
        SortByName(items);
        return error;
    }
    DWORD error = ERROR_SUCCESS;
    // Sorted below by the view's first order, with keys made once.
    std::vector<host::ListedItem> listed =
        host::ListFolder(folder, error, host::ItemOrder::AsListed, limit);
    if (error != ERROR_SUCCESS) return error;
    std::wstring base = folder;
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    ShellLooks looks;
    items.reserve(listed.size());
    for (host::ListedItem& entry : listed) {
        BrowserItem& item = items.emplace_back();
        item.attributes = entry.data.dwFileAttributes;
        item.path = base + L"\\" + entry.name;
        item.size = entry.size;
        item.allocation = entry.allocation;
        item.lastWrite = entry.lastWrite;
        const ShellLook& look = looks.Of(entry.name, item.attributes);
        item.icon = look.icon;
        item.typeText = look.type;
        item.name = std::move(entry.name);
        item.sortKey = NaturalKey(ToCore(item.name));
    }
    SortByName(items);
    return ERROR_SUCCESS;
}

std::wstring DateText(const FILETIME& time) {
    FILETIME local;
    SYSTEMTIME shown;
    if (!::FileTimeToLocalFileTime(&time, &local) || !::FileTimeToSystemTime(&local, &shown)) {
        return {};
    }
    wchar_t date[64] = {}, clock[64] = {};
    ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &shown, nullptr, date, 64,
                      nullptr);
    ::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &shown, nullptr, clock, 64);
    return std::wstring(date) + L" " + clock;
}

HIMAGELIST SystemSmallIcons() {
    SHFILEINFOW info = {};
    return reinterpret_cast<HIMAGELIST>(::SHGetFileInfoW(
        L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof(info),
        SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

}  // namespace trovelle::browser
