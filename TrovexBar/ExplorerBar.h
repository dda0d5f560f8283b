// TrovexExplorerBar: the band object the browser puts in its toolbar rebar.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <exdisp.h>
#include <wrl/client.h>

#include "BandWindow.h"
#include "ComObject.h"
#include "DispatchFromTypeLib.h"
#include "Guids.h"

namespace trovelle {

class TrovexExplorerBar final
    : public ComObject<TrovexExplorerBar, IObjectWithSite, IDeskBand, IInputObject,
                       DispatchFromTypeLib<ITrovexExplorerBar, IID_ITrovexExplorerBar>> {
public:
    static const QITAB kInterfaces[];

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

private:
    HRESULT Attach(IUnknown* site);

    Microsoft::WRL::ComPtr<IInputObjectSite> site_;
    Microsoft::WRL::ComPtr<IWebBrowser2> browser_;
    HWND parentWindow_ = nullptr;
    BOOL shown_ = FALSE;
    DWORD bandId_ = 0;
    DWORD viewMode_ = 0;
    CBandWindow bandWindow_;  // last member: its windows go before the browser reference
};

}  // namespace trovelle
