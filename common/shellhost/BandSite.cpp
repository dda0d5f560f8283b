#include "BandSite.h"

#include <exdisp.h>
#include <shlguid.h>

namespace trovelle::host {

const QITAB BandSite::kInterfaces[] = {
    Answers<BandSite, IOleWindow>(IID_IOleWindow),
    Answers<BandSite, IServiceProvider>(IID_IServiceProvider),
    Answers<BandSite, IInputObjectSite>(IID_IInputObjectSite),
    {},
};

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
