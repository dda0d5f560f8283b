// TrovexFolderSize: the column handler object, aggregatable, with a type-library IDispatch.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "ColumnSettings.h"
#include "ItemSize.h"
#include "Guids.h"
#include "text/SizePadding.h"
#include "TypeLibDispatch.h"

namespace trovelle {

class TrovexFolderSize final : public ITrovexFolderSize, public IColumnProvider {
public:
    // The class factory's creation: an outer object may only ask for IUnknown.
    static HRESULT Create(IUnknown* outer, REFIID iid, void** result);

    // IUnknown, delegating to the outer object when aggregated.
    STDMETHODIMP QueryInterface(REFIID iid, void** result) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

    // IColumnProvider
    STDMETHODIMP Initialize(LPCSHCOLUMNINIT init) override;
    STDMETHODIMP GetColumnInfo(DWORD index, SHCOLUMNINFO* info) override;
    STDMETHODIMP GetItemData(LPCSHCOLUMNID column, LPCSHCOLUMNDATA item, VARIANT* data) override;

private:
    // The object's own IUnknown, which holds the reference count and answers QueryInterface.
    class Inner : public IUnknown {
    public:
        explicit Inner(TrovexFolderSize& owner) : owner_(owner) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** result) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

    private:
        TrovexFolderSize& owner_;
    };

    explicit TrovexFolderSize(IUnknown* outer);
    ~TrovexFolderSize();

    Inner inner_{*this};
    IUnknown* const outer_;  // the outer object, or inner_ when not aggregated; not owned
    LONG references_ = 1;
    TypeLibDispatch dispatch_{IID_ITrovexFolderSize};
    WindowsVersion version_;
    ColumnSettings settings_;
    CellSources sources_;  // the server connection, kept for the object's life
};

}  // namespace trovelle
