// The browser a band sees through its site: Refresh reloads the host's view; everything else a
// real browser window offers answers E_NOTIMPL.
#pragma once

#include <windows.h>
#include <exdisp.h>

#include <functional>

#include "ComObject.h"

namespace trovelle::host {

class RefreshOnlyBrowser final : public ComObject<RefreshOnlyBrowser, IWebBrowser2> {
public:
    static const QITAB kInterfaces[];
    explicit RefreshOnlyBrowser(std::function<void()> refresh) : refresh_(std::move(refresh)) {}

    STDMETHODIMP Refresh() override;
    // The view stops reacting once its window is gone.
    void Disconnect() { refresh_ = nullptr; }
    ULONG RefreshCount() const { return refreshCount_; }

#define TROVELLE_NOT_IMPLEMENTED(name, ...) \
    STDMETHODIMP name(__VA_ARGS__) override { return E_NOTIMPL; }
    TROVELLE_NOT_IMPLEMENTED(GetTypeInfoCount, UINT*)
    TROVELLE_NOT_IMPLEMENTED(GetTypeInfo, UINT, LCID, ITypeInfo**)
    TROVELLE_NOT_IMPLEMENTED(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
    TROVELLE_NOT_IMPLEMENTED(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                             EXCEPINFO*, UINT*)
    TROVELLE_NOT_IMPLEMENTED(GoBack)
    TROVELLE_NOT_IMPLEMENTED(GoForward)
    TROVELLE_NOT_IMPLEMENTED(GoHome)
    TROVELLE_NOT_IMPLEMENTED(GoSearch)
    TROVELLE_NOT_IMPLEMENTED(Navigate, BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
    TROVELLE_NOT_IMPLEMENTED(Refresh2, VARIANT*)
    TROVELLE_NOT_IMPLEMENTED(Stop)
    TROVELLE_NOT_IMPLEMENTED(get_Application, IDispatch**)
    TROVELLE_NOT_IMPLEMENTED(get_Parent, IDispatch**)
    TROVELLE_NOT_IMPLEMENTED(get_Container, IDispatch**)
    TROVELLE_NOT_IMPLEMENTED(get_Document, IDispatch**)
    TROVELLE_NOT_IMPLEMENTED(get_TopLevelContainer, VARIANT_BOOL*)
    TROVELLE_NOT_IMPLEMENTED(get_Type, BSTR*)
    TROVELLE_NOT_IMPLEMENTED(get_Left, LONG*)
    TROVELLE_NOT_IMPLEMENTED(put_Left, LONG)
    TROVELLE_NOT_IMPLEMENTED(get_Top, LONG*)
    TROVELLE_NOT_IMPLEMENTED(put_Top, LONG)
    TROVELLE_NOT_IMPLEMENTED(get_Width, LONG*)
    TROVELLE_NOT_IMPLEMENTED(put_Width, LONG)
    TROVELLE_NOT_IMPLEMENTED(get_Height, LONG*)
    TROVELLE_NOT_IMPLEMENTED(put_Height, LONG)
    TROVELLE_NOT_IMPLEMENTED(get_LocationName, BSTR*)
    TROVELLE_NOT_IMPLEMENTED(get_LocationURL, BSTR*)
    TROVELLE_NOT_IMPLEMENTED(get_Busy, VARIANT_BOOL*)
    TROVELLE_NOT_IMPLEMENTED(Quit)
    TROVELLE_NOT_IMPLEMENTED(ClientToWindow, int*, int*)
    TROVELLE_NOT_IMPLEMENTED(PutProperty, BSTR, VARIANT)
    TROVELLE_NOT_IMPLEMENTED(GetProperty, BSTR, VARIANT*)
    TROVELLE_NOT_IMPLEMENTED(get_Name, BSTR*)
    TROVELLE_NOT_IMPLEMENTED(get_HWND, SHANDLE_PTR*)
    TROVELLE_NOT_IMPLEMENTED(get_FullName, BSTR*)
    TROVELLE_NOT_IMPLEMENTED(get_Path, BSTR*)
    TROVELLE_NOT_IMPLEMENTED(get_Visible, VARIANT_BOOL*)
    TROVELLE_NOT_IMPLEMENTED(put_Visible, VARIANT_BOOL)
    TROVELLE_NOT_IMPLEMENTED(get_StatusBar, VARIANT_BOOL*)
    TROVELLE_NOT_IMPLEMENTED(put_StatusBar, VARIANT_BOOL)
    TROVELLE_NOT_IMPLEMENTED(get_StatusText, BSTR*)
    TROVELLE_NOT_IMPLEMENTED(put_StatusText, BSTR)
    TROVELLE_NOT_IMPLEMENTED(get_ToolBar, int*)
    TROVELLE_NOT_IMPLEMENTED(put_ToolBar, int)
    TROVELLE_NOT_IMPLEMENTED(get_MenuBar, VARIANT_BOOL*)
    TROVELLE_NOT_IMPLEMENTED(put_MenuBar, VARIANT_BOOL)
    TROVELLE_NOT_IMPLEMENTED(get_FullScreen, VARIANT_BOOL*)
    TROVELLE_NOT_IMPLEMENTED(put_FullScreen, VARIANT_BOOL)
    TROVELLE_NOT_IMPLEMENTED(Navigate2, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
    TROVELLE_NOT_IMPLEMENTED(QueryStatusWB, OLECMDID, OLECMDF*)
    TROVELLE_NOT_IMPLEMENTED(ExecWB, OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*)
    TROVELLE_NOT_IMPLEMENTED(ShowBrowserBar, VARIANT*, VARIANT*, VARIANT*)
    TROVELLE_NOT_IMPLEMENTED(get_ReadyState, READYSTATE*)
    TROVELLE_NOT_IMPLEMENTED(get_Offline, VARIANT_BOOL*)
    TROVELLE_NOT_IMPLEMENTED(put_Offline, VARIANT_BOOL)
    TROVELLE_NOT_IMPLEMENTED(get_Silent, VARIANT_BOOL*)
    TROVELLE_NOT_IMPLEMENTED(put_Silent, VARIANT_BOOL)
    TROVELLE_NOT_IMPLEMENTED(get_RegisterAsBrowser, VARIANT_BOOL*)
    TROVELLE_NOT_IMPLEMENTED(put_RegisterAsBrowser, VARIANT_BOOL)
    TROVELLE_NOT_IMPLEMENTED(get_RegisterAsDropTarget, VARIANT_BOOL*)
    TROVELLE_NOT_IMPLEMENTED(put_RegisterAsDropTarget, VARIANT_BOOL)
    TROVELLE_NOT_IMPLEMENTED(get_TheaterMode, VARIANT_BOOL*)
    TROVELLE_NOT_IMPLEMENTED(put_TheaterMode, VARIANT_BOOL)
    TROVELLE_NOT_IMPLEMENTED(get_AddressBar, VARIANT_BOOL*)
    TROVELLE_NOT_IMPLEMENTED(put_AddressBar, VARIANT_BOOL)
    TROVELLE_NOT_IMPLEMENTED(get_Resizable, VARIANT_BOOL*)
    TROVELLE_NOT_IMPLEMENTED(put_Resizable, VARIANT_BOOL)
#undef TROVELLE_NOT_IMPLEMENTED

private:
    ULONG refreshCount_ = 0;
    std::function<void()> refresh_;
};

}  // namespace trovelle::host
