#include "BandSite.h"

#include <exdisp.h>
#include <shlguid.h>

#include <new>

namespace trovelle::host {

BandSite* BandSite::Create(HWND window, IWebBrowser2* browser) {
    return new (std::nothrow) BandSite(window, browser);
}

HRESULT BandSite::QueryInterface(REFIID iid, void** result) {
    if (result == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IOleWindow) {
        *result = static_cast<IOleWindow*>(this);
    } else if (iid == IID_IServiceProvider) {
        *result = static_cast<IServiceProvider*>(this);
    } else if (iid == IID_IInputObjectSite) {
        *result = static_cast<IInputObjectSite*>(this);
    } else {
        *result = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG BandSite::AddRef() { return ++references_; }

ULONG BandSite::Release() {
    const ULONG count = --references_;
    if (count == 0) delete this;
    return count;
}

HRESULT BandSite::GetWindow(HWND* window) {
    if (window == nullptr) return E_INVALIDARG;
    *window = window_;
    return S_OK;
}

HRESULT BandSite::QueryService(REFGUID service, REFIID iid, void** result) {
    if (result == nullptr) return E_POINTER;
    *result = nullptr;
    if (service != SID_SWebBrowserApp || !browser_) return E_NOINTERFACE;
    return browser_->QueryInterface(iid, result);
}

}  // namespace trovelle::host
