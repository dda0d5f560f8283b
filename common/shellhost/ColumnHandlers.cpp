#include "ColumnHandlers.h"

#include <cwchar>

#include "UniqueHandle.h"

namespace trovelle::host {
namespace {

constexpr wchar_t kHandlersKey[] = L"Folder\\Shellex\\ColumnHandlers";
// A handler that never says S_FALSE must not keep the host asking for ever.
constexpr DWORD kMaxColumnsPerHandler = 256;

}  // namespace

std::vector<std::wstring> RegisteredColumnHandlers() {
    std::vector<std::wstring> names;
    UniqueRegistryKey key;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, kHandlersKey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) {
        return names;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = static_cast<DWORD>(std::size(name));
        const LSTATUS status =
            ::RegEnumKeyExW(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_SUCCESS) names.emplace_back(name, length);
    }
    return names;
}

ColumnSet LoadColumns(const std::wstring& folder) {
    ColumnSet set;
    SHCOLUMNINIT init = {};
    std::wcsncpy(init.wszFolder, folder.c_str(), MAX_PATH - 1);

    for (const std::wstring& name : RegisteredColumnHandlers()) {
        LoadedHandler handler;
        HRESULT hr = ::CLSIDFromString(name.c_str(), &handler.clsid);
        if (SUCCEEDED(hr)) {
            hr = ::CoCreateInstance(handler.clsid, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IColumnProvider, &handler.provider);
        }
        if (SUCCEEDED(hr)) hr = handler.provider->Initialize(&init);
        if (FAILED(hr)) {
            set.failures.push_back({name, hr});
            continue;
        }
        const size_t handlerIndex = set.handlers.size();
        for (DWORD index = 0; index < kMaxColumnsPerHandler; ++index) {
            HostColumn column;
            column.handler = handlerIndex;
            if (handler.provider->GetColumnInfo(index, &column.info) != S_OK) break;
            set.columns.push_back(column);
        }
        set.handlers.push_back(std::move(handler));
    }
    return set;
}

}  // namespace trovelle::host
