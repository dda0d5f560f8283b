// The column handlers registered for folders, loaded the way Details view loads them.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <string>
#include <vector>

namespace trovelle::host {

struct HostColumn {
    size_t handler = 0;  // index into the loaded handlers
    SHCOLUMNINFO info = {};
};

struct LoadedHandler {
    CLSID clsid = {};
    Microsoft::WRL::ComPtr<IColumnProvider> provider;
};

struct HandlerFailure {
    std::wstring clsid;
    HRESULT result = S_OK;
};

struct ColumnSet {
    std::vector<LoadedHandler> handlers;
    std::vector<HostColumn> columns;
    std::vector<HandlerFailure> failures;
};

// The CLSIDs under HKEY_CLASSES_ROOT\Folder\Shellex\ColumnHandlers, in registry order.
std::vector<std::wstring> RegisteredColumnHandlers();

// Creates every handler in-process, initialises it for `folder` and asks for its columns with
// rising indexes until it answers S_FALSE (or fails).
ColumnSet LoadColumns(const std::wstring& folder);

}  // namespace trovelle::host
