#include "ExplorerBar.h"

#include <shlguid.h>

#include <cwchar>
#include <new>

#include "ModuleLock.h"

namespace trovelle {
namespace {

constexpr POINTL kBandSize = {32, 26};
constexpr DWORD kModeFlags = DBIMF_VARIABLEHEIGHT | DBIMF_USECHEVRON;

}  // namespace

TrovexExplorerBar::TrovexExplorerBar() { ModuleLock::Lock(); }

TrovexExplorerBar::~TrovexExplorerBar() { ModuleLock::Unlock(); }

HRESULT TrovexExplorerBar::Create(IUnknown* outer, REFIID iid, void** result) {
    if (result == nullptr) return E_POINTER;
    *result = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* band = new (std::nothrow) TrovexExplorerBar;
    if (band == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = band->QueryInterface(iid, result);
    band->Release();
    return hr;
}

// The lookup order is fixed; IUnknown is the first entry. IOleWindow and IPersistStream are
// deliberately not offered: hosts reach GetWindow through IDeskBand.
HRESULT TrovexExplorerBar::QueryInterface(REFIID iid, void** result) {
    if (result == nullptr) return E_POINTER;
    if (iid == IID_ITrovexExplorerBar || iid == IID_IDispatch || iid == IID_IUnknown) {
        *result = static_cast<ITrovexExplorerBar*>(this);
    } else if (iid == IID_IObjectWithSite) {
        *result = static_cast<IObjectWithSite*>(this);
    } else if (iid == IID_IDockingWindow || iid == IID_IDeskBand) {
        *result = static_cast<IDeskBand*>(this);
    } else if (iid == IID_IInputObject) {
        *result = static_cast<IInputObject*>(this);
    } else {
        *result = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG TrovexExplorerBar::AddRef() { return ++references_; }

ULONG TrovexExplorerBar::Release() {
    const ULONG count = --references_;
    if (count == 0) delete this;
    return count;
}

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

HRESULT TrovexExplorerBar::GetTypeInfoCount(UINT* count) { return dispatch_.GetTypeInfoCount(count); }

HRESULT TrovexExplorerBar::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
    return dispatch_.GetTypeInfo(index, locale, info);
}

HRESULT TrovexExplorerBar::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                         DISPID* ids) {
    return dispatch_.GetIDsOfNames(names, count, ids);
}

HRESULT TrovexExplorerBar::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                  VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    return dispatch_.Invoke(static_cast<ITrovexExplorerBar*>(this), id, flags, params, result,
                            exception, argumentError);
}

}  // namespace trovelle
