#include "FileActions.h"

#include <shellapi.h>
#include <sherrors.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <functional>

#include "ShellSelection.h"
#include "Win32FileSystem.h"

namespace trovelle::host {
namespace {

using Microsoft::WRL::ComPtr;

const HRESULT kCancelled = HRESULT_FROM_WIN32(ERROR_CANCELLED);

// IFileOperation is absent before Vista and a stub in Wine 8: the older operation does the work.
bool WantsOlderOperation(HRESULT hr) {
    return hr == E_NOTIMPL || hr == REGDB_E_CLASSNOTREG || hr == E_NOINTERFACE;
}

HRESULT ShellItemOf(const std::wstring& path, ComPtr<IShellItem>& item) {
    UniqueIdList list;
    const HRESULT hr = ParsePath(path, list);
    return FAILED(hr) ? hr : ::SHCreateItemFromIDList(list.get(), IID_PPV_ARGS(&item));
}

HRESULT RunFileOperation(HWND owner, DWORD flags,
                         const std::function<HRESULT(IFileOperation&)>& queue) {
    ComPtr<IFileOperation> operation;
    HRESULT hr = ::CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL,
                                    IID_PPV_ARGS(&operation));
    if (SUCCEEDED(hr) && owner != nullptr) hr = operation->SetOwnerWindow(owner);
    if (SUCCEEDED(hr)) hr = operation->SetOperationFlags(flags);
    if (SUCCEEDED(hr)) hr = queue(*operation.Get());
    if (SUCCEEDED(hr)) hr = operation->PerformOperations();
    if (hr == COPYENGINE_E_USER_CANCELLED) return kCancelled;
    if (FAILED(hr)) return hr;
    BOOL aborted = FALSE;
    return SUCCEEDED(operation->GetAnyOperationsAborted(&aborted)) && aborted ? kCancelled : S_OK;
}

// SHFileOperationW takes no \\?\ prefix; its lists end with an empty string.
void AppendToList(std::wstring& list, const std::wstring& path) {
    list += path.rfind(L"\\\\?\\", 0) == 0 ? path.substr(4) : path;
    list += L'\0';
}

HRESULT RunOlderOperation(HWND owner, UINT function, const std::wstring& from,
                          const std::wstring& to, FILEOP_FLAGS flags) {
    SHFILEOPSTRUCTW operation = {};
    operation.hwnd = owner;
    operation.wFunc = function;
    operation.pFrom = from.c_str();  // the string's own terminator ends the list
    operation.pTo = to.empty() ? nullptr : to.c_str();
    operation.fFlags = flags;
    const int result = ::SHFileOperationW(&operation);
    if (operation.fAnyOperationsAborted) return kCancelled;
    switch (result) {
    case 0: return S_OK;
    case 0x75: return kCancelled;                                       // DE_OPCANCELLED
    case 0x7C: return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);         // DE_INVALIDFILES
    default: return HRESULT_FROM_WIN32(static_cast<DWORD>(result));
    }
}

DWORD QuietFlags(bool ask) { return ask ? 0 : FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI; }

bool IsValidName(const std::wstring& name) {
    return !name.empty() && name != L"." && name != L".." &&
           name.find_first_of(L"\\/:*?\"<>|") == std::wstring::npos;
}

}  // namespace

HRESULT DeleteItems(HWND owner, const std::vector<std::wstring>& paths, bool permanently, bool ask) {
    if (paths.empty()) return S_OK;
    const DWORD recycle = permanently ? 0 : FOF_ALLOWUNDO | (ask ? FOF_WANTNUKEWARNING : 0);
    HRESULT hr = RunFileOperation(
        owner, recycle | (permanently ? 0 : FOFX_RECYCLEONDELETE) | QuietFlags(ask),
        [&paths](IFileOperation& operation) {
            for (const std::wstring& path : paths) {
                ComPtr<IShellItem> item;
                HRESULT hr = ShellItemOf(path, item);
                if (SUCCEEDED(hr)) hr = operation.DeleteItem(item.Get(), nullptr);
                if (FAILED(hr)) return hr;
            }
            return S_OK;
        });
    if (!WantsOlderOperation(hr)) return hr;
    std::wstring from;
    for (const std::wstring& path : paths) AppendToList(from, path);
    return RunOlderOperation(owner, FO_DELETE, from, {},
                             static_cast<FILEOP_FLAGS>(recycle | QuietFlags(ask)));
}

HRESULT RenameItem(HWND owner, const std::wstring& path, const std::wstring& newName) {
    if (!IsValidName(newName)) return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return E_INVALIDARG;
    const std::wstring target = path.substr(0, slash + 1) + newName;
    // A name taken by another item (not this one in another case) is never overwritten.
    if (::GetFileAttributesW(LongPathForm(target).c_str()) != INVALID_FILE_ATTRIBUTES &&
        ::lstrcmpiW(path.c_str() + slash + 1, newName.c_str()) != 0) {
        return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
    }
    HRESULT hr = RunFileOperation(owner, FOF_ALLOWUNDO, [&](IFileOperation& operation) {
        ComPtr<IShellItem> item;
        HRESULT hr = ShellItemOf(path, item);
        return SUCCEEDED(hr) ? operation.RenameItem(item.Get(), newName.c_str(), nullptr) : hr;
    });
    if (!WantsOlderOperation(hr)) return hr;
    std::wstring from, to;
    AppendToList(from, path);
    AppendToList(to, target);
    return RunOlderOperation(owner, FO_RENAME, from, to, FOF_ALLOWUNDO);
}

}  // namespace trovelle::host
