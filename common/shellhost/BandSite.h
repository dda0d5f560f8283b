// The site a hosted band is given, as a browser window's rebar gives it: the rebar's window,
// the browser as the SID_SWebBrowserApp service, and focus notifications.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <servprov.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "ComObject.h"

namespace trovelle::host {

class BandSite final
    : public ComObject<BandSite, IOleWindow, IServiceProvider, IInputObjectSite> {
public:
    static const QITAB kInterfaces[];
    BandSite(HWND window, IWebBrowser2* browser) : window_(window), browser_(browser) {}

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** result) override;
    // IInputObjectSite
    STDMETHODIMP OnFocusChangeIS(IUnknown*, BOOL) override { return S_OK; }

private:
    HWND window_;
    Microsoft::WRL::ComPtr<IWebBrowser2> browser_;
};

}  // namespace trovelle::host
