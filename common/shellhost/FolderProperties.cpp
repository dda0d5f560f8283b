#include "FolderProperties.h"

#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <algorithm>

#include "ShellSelection.h"
#include "UniqueHandle.h"

namespace trovelle::host {
namespace {

using Microsoft::WRL::ComPtr;

bool IsDriveRoot(const std::wstring& folder) {
    return folder.size() <= 3 && folder.size() >= 2 && folder[1] == L':';
}

std::vector<const wchar_t*> ClassesOf(const std::wstring& folder) {
    return {IsDriveRoot(folder) ? L"Drive" : L"Directory", L"Folder"};
}

UniqueRegistryKey OpenClassKey(const wchar_t* name) {
    UniqueRegistryKey key;
    ::RegOpenKeyExW(HKEY_CLASSES_ROOT, name, 0, KEY_READ, key.Put());
    return key;
}

// A handler's key is named by its CLSID, or by a name whose default value is the CLSID.
bool HandlerClsid(HKEY handlers, const wchar_t* keyName, CLSID& clsid) {
    if (::CLSIDFromString(keyName, &clsid) == S_OK) return true;
    wchar_t value[64] = {};
    DWORD bytes = sizeof(value) - sizeof(wchar_t);
    return ::RegGetValueW(handlers, keyName, nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) ==
               ERROR_SUCCESS &&
           ::CLSIDFromString(value, &clsid) == S_OK;
}

void AppendHandlersOf(const wchar_t* className, std::vector<CLSID>& found) {
    UniqueRegistryKey handlers;
    const std::wstring path = std::wstring(className) + L"\\shellex\\PropertySheetHandlers";
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, handlers.Put()) !=
        ERROR_SUCCESS) {
        return;
    }
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = ARRAYSIZE(name);
        if (::RegEnumKeyExW(handlers.Get(), index, name, &length, nullptr, nullptr, nullptr,
                            nullptr) != ERROR_SUCCESS) {
            break;
        }
        CLSID clsid;
        if (HandlerClsid(handlers.Get(), name, clsid) &&
            std::find(found.begin(), found.end(), clsid) == found.end()) {
            found.push_back(clsid);
        }
    }
}

BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM pages) {
    auto& collected = *reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(pages);
    if (collected.size() >= MAXPROPPAGES) return FALSE;
    collected.push_back(page);
    return TRUE;
}

// One handler's pages; a handler that cannot be created or refuses the folder adds none, as
// in the shell.
void AddPagesOf(const CLSID& clsid, IDataObject* selection, HKEY classKey,
                std::vector<HPROPSHEETPAGE>& pages) {
    ComPtr<IShellExtInit> init;
    ComPtr<IShellPropSheetExt> sheetExtension;
    if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&init))) ||
        FAILED(init->Initialize(nullptr, selection, classKey)) || FAILED(init.As(&sheetExtension))) {
        return;
    }
    sheetExtension->AddPages(CollectPage, reinterpret_cast<LPARAM>(&pages));
}

std::wstring CaptionOf(const std::wstring& folder) {
    return IsDriveRoot(folder) ? folder : std::wstring(::PathFindFileNameW(folder.c_str()));
}

}  // namespace

std::vector<CLSID> FolderPropertySheetHandlers(const std::wstring& folder) {
    std::vector<CLSID> found;
    for (const wchar_t* className : ClassesOf(folder)) AppendHandlersOf(className, found);
    return found;
}

HRESULT ShowFolderProperties(HWND owner, const std::wstring& folder) {
    ShellSelection selection;
    ComPtr<IDataObject> data;
    HRESULT hr = selection.Open({folder});
    if (SUCCEEDED(hr)) hr = selection.UIObject(owner, data);
    if (FAILED(hr)) return hr;

    const UniqueRegistryKey classKey = OpenClassKey(ClassesOf(folder).front());
    std::vector<HPROPSHEETPAGE> pages;
    for (const CLSID& clsid : FolderPropertySheetHandlers(folder)) {
        AddPagesOf(clsid, data.Get(), classKey.Get(), pages);
    }
    if (pages.empty()) return S_FALSE;

    const std::wstring caption = CaptionOf(folder);
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPTITLE | PSH_NOAPPLYNOW;
    header.hwndParent = owner;
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    if (::PropertySheetW(&header) >= 0) return S_OK;
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

}  // namespace trovelle::host
