#include "ShellSelection.h"

namespace trovelle::host {
namespace {

bool IsLongPathForm(const std::wstring& path) { return path.rfind(L"\\\\?\\", 0) == 0; }

UniqueIdList ParentOf(const ITEMIDLIST* item) {
    UniqueIdList parent(::ILClone(item));
    if (parent) ::ILRemoveLastID(parent.get());
    return parent;
}

}  // namespace

HRESULT ParsePath(const std::wstring& path, UniqueIdList& item) {
    PIDLIST_ABSOLUTE parsed = nullptr;
    HRESULT hr = ::SHParseDisplayName(path.c_str(), nullptr, &parsed, 0, nullptr);
    if (FAILED(hr) && path.size() >= MAX_PATH && !IsLongPathForm(path)) {
        hr = ::SHParseDisplayName((L"\\\\?\\" + path).c_str(), nullptr, &parsed, 0, nullptr);
    }
    item.reset(parsed);
    if (SUCCEEDED(hr) && !item) hr = E_FAIL;
    return hr;
}

HRESULT ShellSelection::Open(const std::vector<std::wstring>& paths) {
    items_.clear();
    folder_.Reset();
    if (paths.empty()) return E_INVALIDARG;
    for (const std::wstring& path : paths) {
        UniqueIdList item;
        const HRESULT hr = ParsePath(path, item);
        if (FAILED(hr)) return hr;
        items_.push_back(std::move(item));
    }
    const UniqueIdList parent = ParentOf(items_.front().get());
    if (!parent) return E_OUTOFMEMORY;
    for (const UniqueIdList& item : items_) {
        if (!::ILIsParent(parent.get(), item.get(), TRUE)) return E_INVALIDARG;
    }
    return ::SHBindToParent(items_.front().get(), IID_PPV_ARGS(&folder_), nullptr);
}

}  // namespace trovelle::host
