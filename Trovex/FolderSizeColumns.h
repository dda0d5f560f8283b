// TrovexFolderSize: the column handler object, aggregatable, with a type-library IDispatch.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "ComObject.h"
#include "DispatchFromTypeLib.h"
#include "ItemSize.h"
#include "Guids.h"
#include "KeptSettings.h"
#include "text/SizePadding.h"

namespace trovelle {

class TrovexFolderSize final
    : public ComObject<TrovexFolderSize,
                       DispatchFromTypeLib<ITrovexFolderSize, IID_ITrovexFolderSize>,
                       IColumnProvider> {
public:
    static const QITAB kInterfaces[];
    static constexpr bool kAggregatable = true;

    TrovexFolderSize();

    // IColumnProvider
    STDMETHODIMP Initialize(LPCSHCOLUMNINIT init) override;
    STDMETHODIMP GetColumnInfo(DWORD index, SHCOLUMNINFO* info) override;
    STDMETHODIMP GetItemData(LPCSHCOLUMNID column, LPCSHCOLUMNDATA item, VARIANT* data) override;

private:
    WindowsVersion version_;
    KeptSettings settings_;
    CellSources sources_;  // the server connection, kept for the object's life
};

}  // namespace trovelle
