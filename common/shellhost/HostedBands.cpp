#include "HostedBands.h"

#include <commctrl.h>

#include "BandSite.h"
#include "UniqueHandle.h"

namespace trovelle::host {
namespace {

constexpr wchar_t kToolbarKey[] = L"Software\\Microsoft\\Internet Explorer\\Toolbar";

}  // namespace

std::vector<CLSID> RegisteredToolbarBands() {
    std::vector<CLSID> bands;
    UniqueRegistryKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kToolbarKey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) {
        return bands;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = static_cast<DWORD>(std::size(name));
        const LSTATUS status = ::RegEnumValueW(key.Get(), index, name, &length, nullptr, nullptr,
                                               nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        CLSID clsid;
        // Values that are not class identifiers (settings of the browser) are skipped.
        if (status == ERROR_SUCCESS && SUCCEEDED(::CLSIDFromString(name, &clsid))) {
            bands.push_back(clsid);
        }
    }
    return bands;
}

void HostedBands::Open(HWND rebar, IWebBrowser2* browser) {
    for (const CLSID& clsid : RegisteredToolbarBands()) {
        HostedBand hosted;
        hosted.clsid = clsid;
        const HRESULT hr = Dock(rebar, browser, hosted);
        if (FAILED(hr)) {
            failures_.emplace_back(clsid, hr);
            continue;
        }
        bands_.push_back(std::move(hosted));
    }
}

HRESULT HostedBands::Dock(HWND rebar, IWebBrowser2* browser, HostedBand& hosted) {
    HRESULT hr = ::CoCreateInstance(hosted.clsid, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(&hosted.band));
    if (FAILED(hr)) return hr;
    Microsoft::WRL::ComPtr<IObjectWithSite> withSite;
    hr = hosted.band.As(&withSite);
    if (FAILED(hr)) return hr;
    Microsoft::WRL::ComPtr<BandSite> site = BandSite::Make(rebar, browser);
    if (!site) return E_OUTOFMEMORY;
    hr = withSite->SetSite(static_cast<IOleWindow*>(site.Get()));
    if (FAILED(hr)) {
        withSite->SetSite(nullptr);
        return hr;
    }
    hr = hosted.band->GetWindow(&hosted.window);
    if (FAILED(hr) || !::IsWindow(hosted.window)) {
        withSite->SetSite(nullptr);
        return FAILED(hr) ? hr : E_FAIL;
    }

    const DWORD bandId = static_cast<DWORD>(bands_.size());
    DESKBANDINFO info = {};
    info.dwMask = DBIM_MINSIZE | DBIM_ACTUAL | DBIM_TITLE | DBIM_MODEFLAGS | DBIM_BKCOLOR;
    hosted.band->GetBandInfo(bandId, DBIF_VIEWMODE_NORMAL, &info);

    REBARBANDINFOW rebarBand = {};
    rebarBand.cbSize = sizeof(rebarBand);
    rebarBand.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_ID | RBBIM_STYLE | RBBIM_SIZE;
    rebarBand.fStyle = RBBS_CHILDEDGE | RBBS_GRIPPERALWAYS;
    rebarBand.hwndChild = hosted.window;
    rebarBand.cxMinChild = static_cast<UINT>(info.ptMinSize.x);
    rebarBand.cyMinChild = static_cast<UINT>(info.ptMinSize.y);
    rebarBand.cx = static_cast<UINT>(info.ptActual.x > 0 ? info.ptActual.x : info.ptMinSize.x);
    rebarBand.wID = bandId;
    if ((info.dwMask & DBIM_TITLE) && info.wszTitle[0] != L'\0') {
        rebarBand.fMask |= RBBIM_TEXT;
        rebarBand.lpText = info.wszTitle;
    }
    ::SendMessageW(rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&rebarBand));
    hosted.band->ShowDW(TRUE);
    return S_OK;
}

void HostedBands::Close() {
    for (HostedBand& hosted : bands_) {
        hosted.band->ShowDW(FALSE);
        hosted.band->CloseDW(0);
        Microsoft::WRL::ComPtr<IObjectWithSite> withSite;
        if (SUCCEEDED(hosted.band.As(&withSite))) withSite->SetSite(nullptr);
    }
    bands_.clear();
}

}  // namespace trovelle::host
