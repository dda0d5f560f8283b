// TrovexExplorerBar: the band object the browser puts in its toolbar rebar.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <exdisp.h>
#include <wrl/client.h>

#include "BandWindow.h"
#include "Guids.h"
#include "TypeLibDispatch.h"

namespace trovelle {

class TrovexExplorerBar final : public IObjectWithSite,
                                public IDeskBand,
                                public IInputObject,
                                public ITrovexExplorerBar {
public:
    static HRESULT Create(IUnknown* outer, REFIID iid, void** result);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** result) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID iid, void** result) override;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IDockingWindow
    STDMETHODIMP ShowDW(BOOL show) override;
    STDMETHODIMP CloseDW(DWORD) override { return S_OK; }  // the windows go with the object
    STDMETHODIMP ResizeBorderDW(LPCRECT, IUnknown*, BOOL) override { return E_NOTIMPL; }

    // IDeskBand
    STDMETHODIMP GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) override;

    // IInputObject
    STDMETHODIMP UIActivateIO(BOOL activate, MSG* message) override;
    STDMETHODIMP HasFocusIO() override;
    STDMETHODIMP TranslateAcceleratorIO(MSG*) override { return S_FALSE; }

    // IDispatch (the interface has no members of its own)
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

private:
    TrovexExplorerBar();
    ~TrovexExplorerBar();
    HRESULT Attach(IUnknown* site);

    ULONG references_ = 1;  // apartment-threaded: every call comes on the host's UI thread
    Microsoft::WRL::ComPtr<IInputObjectSite> site_;
    Microsoft::WRL::ComPtr<IWebBrowser2> browser_;
    HWND parentWindow_ = nullptr;
    BOOL shown_ = FALSE;
    DWORD bandId_ = 0;
    DWORD viewMode_ = 0;
    TypeLibDispatch dispatch_{IID_ITrovexExplorerBar};
    CBandWindow bandWindow_;  // last member: its windows go before the browser reference
};

}  // namespace trovelle
