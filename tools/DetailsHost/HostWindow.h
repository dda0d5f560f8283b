// The host's window mode: a browser-like window with a rebar of every registered toolbar band
// above a Details-view list of the folder, filled by the column handlers. The window's
// browser object refills the list when a band calls Refresh.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <string>

#include "ColumnHandlers.h"
#include "HostedBands.h"
#include "RefreshOnlyBrowser.h"

namespace trovelle::host {

inline constexpr wchar_t kHostWindowClass[] = L"TrovelleDetailsHost";

class HostWindow {
public:
    // `seconds` > 0 closes the window by itself after that time, first saving a picture of it
    // to `picture` when one is named (for demonstrations).
    HostWindow(std::wstring folder, UINT seconds, std::wstring picture)
        : folder_(std::move(folder)), seconds_(seconds), picture_(std::move(picture)) {}
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // Shows the window and runs its message loop until it is closed; the process exit code.
    int Run();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateChildren();
    void Layout();
    void FillList();

    std::wstring folder_;
    UINT seconds_ = 0;
    std::wstring picture_;
    HWND window_ = nullptr;
    HWND rebar_ = nullptr;
    HWND list_ = nullptr;
    Microsoft::WRL::ComPtr<RefreshOnlyBrowser> browser_;
    HostedBands bands_;
    ColumnSet columns_;
};

}  // namespace trovelle::host
