#include "FolderSizeColumns.h"

#include <cwchar>
#include <new>

#include "ColumnCell.h"
#include "ColumnTable.h"
#include "SystemVersion.h"

namespace trovelle {
namespace {

// The shell's path field may come without a terminator; it is read no further than its size.
std::wstring BoundedPath(const wchar_t (&file)[MAX_PATH]) {
    return {file, ::wcsnlen(file, MAX_PATH)};
}

}  // namespace

const QITAB TrovexFolderSize::kInterfaces[] = {
    Answers<TrovexFolderSize, ITrovexFolderSize>(IID_ITrovexFolderSize),
    Answers<TrovexFolderSize, ITrovexFolderSize>(IID_IDispatch),
    Answers<TrovexFolderSize, IColumnProvider>(IID_IColumnProvider),
    {},
};

TrovexFolderSize::TrovexFolderSize()
    : version_(ReportedWindowsVersion().value_or(WindowsVersion{})) {}

HRESULT TrovexFolderSize::Initialize(LPCSHCOLUMNINIT) { return S_OK; }

HRESULT TrovexFolderSize::GetColumnInfo(DWORD index, SHCOLUMNINFO* info) {
    if (index >= kColumnCount) return S_FALSE;
    if (info == nullptr) return E_POINTER;
    FillColumnInfo(index, settings_.Title(), *info);
    return S_OK;
}

HRESULT TrovexFolderSize::GetItemData(LPCSHCOLUMNID column, LPCSHCOLUMNDATA item, VARIANT* data) {
    if (column == nullptr || item == nullptr || data == nullptr) return E_POINTER;
    if (column->fmtid != CLSID_TrovexFolderSize) return S_FALSE;
    const ColumnSettings& settings = settings_.Columns();
    if (settings.viewStyle == kNothing) return S_FALSE;

    const CellItem cell{BoundedPath(item->wszFile),
                        (item->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
    const std::optional<std::wstring> text = CellText(column->pid, cell, settings, version_, sources_);
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
