// The site a hosted band is given, as a browser window's rebar gives it: the rebar's window,
// the browser as the SID_SWebBrowserApp service, and focus notifications.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <servprov.h>
#include <shlobj.h>
#include <wrl/client.h>

namespace trovelle::host {

class BandSite final : public IOleWindow, public IServiceProvider, public IInputObjectSite {
public:
    // Created with one reference, which the caller owns.
    static BandSite* Create(HWND window, IWebBrowser2* browser);

    STDMETHODIMP QueryInterface(REFIID iid, void** result) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** result) override;
    // IInputObjectSite
    STDMETHODIMP OnFocusChangeIS(IUnknown*, BOOL) override { return S_OK; }

private:
    BandSite(HWND window, IWebBrowser2* browser) : window_(window), browser_(browser) {}
    ~BandSite() = default;

    ULONG references_ = 1;
    HWND window_;
    Microsoft::WRL::ComPtr<IWebBrowser2> browser_;
};

}  // namespace trovelle::host
