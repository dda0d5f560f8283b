#include "FolderSizeColumns.h"

#include <cwchar>
#include <new>

#include "ColumnCell.h"
#include "ColumnTable.h"
#include "ModuleLock.h"

namespace trovelle {
namespace {

WindowsVersion ReadWindowsVersion() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&info)) return {};
#pragma GCC diagnostic pop
    return {info.dwMajorVersion, info.dwMinorVersion};
}

// The shell's path field may come without a terminator; it is read no further than its size.
std::wstring BoundedPath(const wchar_t (&file)[MAX_PATH]) {
    return {file, ::wcsnlen(file, MAX_PATH)};
}

}  // namespace

TrovexFolderSize::TrovexFolderSize(IUnknown* outer)
    : outer_(outer != nullptr ? outer : &inner_), version_(ReadWindowsVersion()) {
    ModuleLock::Lock();
}

TrovexFolderSize::~TrovexFolderSize() { ModuleLock::Unlock(); }

HRESULT TrovexFolderSize::Create(IUnknown* outer, REFIID iid, void** result) {
    if (result == nullptr) return E_POINTER;
    *result = nullptr;
    if (outer != nullptr && iid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
    auto* object = new (std::nothrow) TrovexFolderSize(outer);
    if (object == nullptr) return E_OUTOFMEMORY;
    // The creation reference is handed over to the requested interface, or dropped on failure.
    const HRESULT hr = object->inner_.QueryInterface(iid, result);
    object->inner_.Release();
    return hr;
}

HRESULT TrovexFolderSize::Inner::QueryInterface(REFIID iid, void** result) {
    if (result == nullptr) return E_POINTER;
    if (iid == IID_IUnknown) {
        *result = static_cast<IUnknown*>(this);
    } else if (iid == IID_ITrovexFolderSize || iid == IID_IDispatch) {
        *result = static_cast<ITrovexFolderSize*>(&owner_);
    } else if (iid == IID_IColumnProvider) {
        *result = static_cast<IColumnProvider*>(&owner_);
    } else {
        *result = nullptr;
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*result)->AddRef();
    return S_OK;
}

ULONG TrovexFolderSize::Inner::AddRef() { return ::InterlockedIncrement(&owner_.references_); }

ULONG TrovexFolderSize::Inner::Release() {
    const LONG count = ::InterlockedDecrement(&owner_.references_);
    if (count == 0) delete &owner_;
    return count;
}

HRESULT TrovexFolderSize::QueryInterface(REFIID iid, void** result) {
    return outer_->QueryInterface(iid, result);
}
ULONG TrovexFolderSize::AddRef() { return outer_->AddRef(); }
ULONG TrovexFolderSize::Release() { return outer_->Release(); }

HRESULT TrovexFolderSize::GetTypeInfoCount(UINT* count) { return dispatch_.GetTypeInfoCount(count); }

HRESULT TrovexFolderSize::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
    return dispatch_.GetTypeInfo(index, locale, info);
}

HRESULT TrovexFolderSize::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    return dispatch_.GetIDsOfNames(names, count, ids);
}

HRESULT TrovexFolderSize::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    return dispatch_.Invoke(static_cast<ITrovexFolderSize*>(this), id, flags, params, result,
                            exception, argumentError);
}

HRESULT TrovexFolderSize::Initialize(LPCSHCOLUMNINIT) { return S_OK; }

HRESULT TrovexFolderSize::GetColumnInfo(DWORD index, SHCOLUMNINFO* info) {
    if (index >= kColumnCount) return S_FALSE;
    if (info == nullptr) return E_POINTER;
    FillColumnInfo(index, *info);
    return S_OK;
}

HRESULT TrovexFolderSize::GetItemData(LPCSHCOLUMNID column, LPCSHCOLUMNDATA item, VARIANT* data) {
    if (column == nullptr || item == nullptr || data == nullptr) return E_POINTER;
    if (column->fmtid != CLSID_TrovexFolderSize) return S_FALSE;
    settings_.Reread();
    if (settings_.viewStyle == kNothing) return S_FALSE;

    const CellItem cell{BoundedPath(item->wszFile),
                        (item->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
    const std::optional<std::wstring> text = CellText(column->pid, cell, settings_, version_, sources_);
    if (!text) return S_FALSE;

    // Like a C string, the text ends at its first NUL.
    BSTR value = ::SysAllocString(text->c_str());
    if (value == nullptr) return E_OUTOFMEMORY;
    ::VariantClear(data);
    data->vt = VT_BSTR;
    data->bstrVal = value;
    return S_OK;
}

}  // namespace trovelle
