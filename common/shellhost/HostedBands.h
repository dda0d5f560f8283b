// The toolbar bands registered for browser windows, created and docked in the host's rebar.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <exdisp.h>
#include <wrl/client.h>

#include <string>
#include <vector>

namespace trovelle::host {

// The CLSIDs named by the values of HKLM\Software\Microsoft\Internet Explorer\Toolbar.
std::vector<CLSID> RegisteredToolbarBands();

struct HostedBand {
    CLSID clsid = {};
    Microsoft::WRL::ComPtr<IDeskBand> band;
    HWND window = nullptr;
};

class HostedBands {
public:
    HostedBands() = default;
    ~HostedBands() { Close(); }
    HostedBands(const HostedBands&) = delete;
    HostedBands& operator=(const HostedBands&) = delete;

    // Creates every registered band, gives it a site over `rebar` and inserts its window.
    // Bands that fail are left out; their failures are kept for the record.
    void Open(HWND rebar, IWebBrowser2* browser);
    // Hides, closes and detaches every band, as a browser window does when it closes.
    void Close();

    const std::vector<HostedBand>& Bands() const { return bands_; }
    const std::vector<std::pair<CLSID, HRESULT>>& Failures() const { return failures_; }

private:
    HRESULT Dock(HWND rebar, IWebBrowser2* browser, HostedBand& hosted);

    std::vector<HostedBand> bands_;
    std::vector<std::pair<CLSID, HRESULT>> failures_;
};

}  // namespace trovelle::host
