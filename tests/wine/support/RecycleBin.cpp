#include "RecycleBin.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <cwchar>
#include <memory>

namespace trovelle::test {

using Microsoft::WRL::ComPtr;

std::vector<std::wstring> RecycleBinNames() {
    std::vector<std::wstring> names;
    ComPtr<IShellFolder> desktop, bin;
    PIDLIST_ABSOLUTE binList = nullptr;
    if (FAILED(::SHGetDesktopFolder(&desktop)) ||
        FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &binList))) {
        return names;
    }
    const std::unique_ptr<ITEMIDLIST, decltype(&::CoTaskMemFree)> binItem(binList, &::CoTaskMemFree);
    ComPtr<IEnumIDList> items;
    if (FAILED(desktop->BindToObject(binItem.get(), nullptr, IID_PPV_ARGS(&bin))) ||
        bin->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                         &items) != S_OK) {
        return names;
    }
    PITEMID_CHILD child = nullptr;
    while (items->Next(1, &child, nullptr) == S_OK) {
        const std::unique_ptr<ITEMID_CHILD, decltype(&::CoTaskMemFree)> owned(child, &::CoTaskMemFree);
        STRRET name;
        wchar_t* text = nullptr;
        if (SUCCEEDED(bin->GetDisplayNameOf(child, SHGDN_NORMAL, &name)) &&
            SUCCEEDED(::StrRetToStrW(&name, child, &text))) {
            names.emplace_back(text);
            ::CoTaskMemFree(text);
        }
    }
    return names;
}

bool InRecycleBin(const std::wstring& name) {
    for (const std::wstring& shown : RecycleBinNames()) {
        if (shown == name) return true;
    }
    return false;
}

// Wine names the home as an NT path, WINEHOMEDIR="\\??\\unix\\...".
void MakeWineTrash() {
    wchar_t home[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"WINEHOMEDIR", home, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || std::wcsncmp(home, L"\\??\\", 4) != 0) return;
    std::wstring path = std::wstring(L"\\\\?\\") + (home + 4);
    for (const wchar_t* part : {L"\\.local", L"\\share", L"\\Trash"}) {
        path += part;
        ::CreateDirectoryW(path.c_str(), nullptr);
    }
    ::CreateDirectoryW((path + L"\\files").c_str(), nullptr);
    ::CreateDirectoryW((path + L"\\info").c_str(), nullptr);
}

}  // namespace trovelle::test
