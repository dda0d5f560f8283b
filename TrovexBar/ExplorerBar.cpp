#include "ExplorerBar.h"

#include <shlguid.h>

#include <cwchar>
#include <new>


namespace trovelle {
namespace {

constexpr POINTL kBandSize = {32, 26};
constexpr DWORD kModeFlags = DBIMF_VARIABLEHEIGHT | DBIMF_USECHEVRON;

}  // namespace

// IUnknown gives the first entry. IOleWindow and IPersistStream are deliberately not offered:
// hosts reach GetWindow through IDeskBand.
const QITAB TrovexExplorerBar::kInterfaces[] = {
    Answers<TrovexExplorerBar, ITrovexExplorerBar>(IID_ITrovexExplorerBar),
    Answers<TrovexExplorerBar, ITrovexExplorerBar>(IID_IDispatch),
    Answers<TrovexExplorerBar, IObjectWithSite>(IID_IObjectWithSite),
    Answers<TrovexExplorerBar, IDeskBand>(IID_IDockingWindow),
    Answers<TrovexExplorerBar, IDeskBand>(IID_IDeskBand),
    Answers<TrovexExplorerBar, IInputObject>(IID_IInputObject),
    {},
};

HRESULT TrovexExplorerBar::SetSite(IUnknown* site) {
    site_.Reset();
    if (site == nullptr) return S_OK;  // detaching keeps the windows until the object goes
    return Attach(site);
}

HRESULT TrovexExplorerBar::Attach(IUnknown* site) {
    parentWindow_ = nullptr;
    Microsoft::WRL::ComPtr<IOleWindow> siteWindow;
    if (SUCCEEDED(site->QueryInterface(IID_PPV_ARGS(&siteWindow))) && siteWindow) {
        if (FAILED(siteWindow->GetWindow(&parentWindow_))) parentWindow_ = nullptr;
    }
    if (!::IsWindow(parentWindow_)) return E_FAIL;

    Microsoft::WRL::ComPtr<IServiceProvider> services;
    if (FAILED(site->QueryInterface(IID_PPV_ARGS(&services))) || !services) return E_FAIL;

    browser_.Reset();
    HRESULT hr = services->QueryService(SID_SWebBrowserApp, IID_PPV_ARGS(&browser_));
    if (FAILED(hr) || !browser_) {
        browser_.Reset();
        return E_FAIL;
    }
    // A band handed to a second site keeps its one window and moves it over.
    const bool placed = ::IsWindow(bandWindow_.Handle()) ? bandWindow_.MoveTo(parentWindow_)
                                                         : bandWindow_.Create(parentWindow_);
    bandWindow_.SetBrowser(browser_.Get());
    if (!placed) return E_FAIL;
    hr = site->QueryInterface(IID_PPV_ARGS(&site_));
    return SUCCEEDED(hr) && site_ ? S_OK : E_FAIL;
}

HRESULT TrovexExplorerBar::GetSite(REFIID iid, void** result) {
    if (result == nullptr) return E_POINTER;
    *result = nullptr;
    if (!site_) return E_FAIL;
    return site_->QueryInterface(iid, result);
}

HRESULT TrovexExplorerBar::GetWindow(HWND* window) {
    if (window == nullptr) return E_INVALIDARG;
    *window = bandWindow_.Handle();
    return S_OK;
}

HRESULT TrovexExplorerBar::ShowDW(BOOL show) {
    shown_ = show;
    if (::IsWindow(bandWindow_.Handle())) {
        ::ShowWindow(bandWindow_.Handle(), show ? SW_SHOW : SW_HIDE);
    }
    return S_OK;
}

HRESULT TrovexExplorerBar::GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) {
    bandId_ = bandId;
    viewMode_ = viewMode;
    if (info == nullptr) return S_OK;
    if (info->dwMask & DBIM_MINSIZE) info->ptMinSize = kBandSize;
    if (info->dwMask & DBIM_MAXSIZE) info->ptMaxSize = kBandSize;
    if (info->dwMask & DBIM_INTEGRAL) info->ptIntegral = kBandSize;
    if (info->dwMask & DBIM_ACTUAL) info->ptActual = kBandSize;
    if (info->dwMask & DBIM_TITLE) info->wszTitle[0] = L'\0';
    if (info->dwMask & DBIM_MODEFLAGS) info->dwModeFlags = kModeFlags;
    info->dwMask &= ~static_cast<DWORD>(DBIM_BKCOLOR);  // the host's own background
    return S_OK;
}

HRESULT TrovexExplorerBar::UIActivateIO(BOOL activate, MSG*) {
    if (activate) ::SetFocus(bandWindow_.Handle());
    return S_OK;
}

// The band has the focus when one of its children (the toolbar) or a child's first child has
// it; the band window itself having it does not count.
HRESULT TrovexExplorerBar::HasFocusIO() {
    const HWND focus = ::GetFocus();
    if (focus == nullptr || !::IsWindow(bandWindow_.Handle())) return S_FALSE;
    for (HWND child = ::GetWindow(bandWindow_.Handle(), GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (child == focus || ::GetWindow(child, GW_CHILD) == focus) return S_OK;
    }
    return S_FALSE;
}

}  // namespace trovelle
