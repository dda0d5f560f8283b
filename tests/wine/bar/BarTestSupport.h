// What the toolbar tests share: the band created through COM, a site that offers exactly what a
// test asks for, windows that stand in for a browser and for other programs, the settings key,
// and a driver that works an open popup menu from another thread or process.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

#include "RefreshOnlyBrowser.h"

namespace trovelle::test {

inline constexpr wchar_t kBarClsid[] = L"{0ACCB754-0E02-4F76-832D-43E9F73F2722}";
inline constexpr wchar_t kBarModule[] = L"C:\\Program Files\\Trovelle Pro\\TrovexBar.dll";
inline constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Karvane\\Trovelle Pro\\Settings";

// The menu's commands as a user knows them.
enum : UINT {
    kAuto = 32770, kGBytes = 32772, kMBytes = 32774, kKBytes = 32775, kBytes = 32776,
    kFilesAndFolders = 32778, kFilesOnly = 32780, kFoldersOnly = 32781, kNothing = 32783,
    kProperties = 32786, kDontUse = 32787, kSpace = 32788, kDot = 32789, kComma = 32790,
    kApostrophe = 32791, kQuote = 32793, kDontShow = 32795, kDigits1 = 32797, kDigits5 = 32805,
    kResetCache = 32808, kToolbarButton = 512,
};

Microsoft::WRL::ComPtr<IDeskBand> CreateBand();

// A plain top-level window, shown, with a caption; destroyed with the object.
class TestWindow {
public:
    explicit TestWindow(const wchar_t* caption = L"Trovelle bar test", DWORD style = WS_OVERLAPPEDWINDOW);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Handle() const { return window_; }

private:
    HWND window_ = nullptr;
};

// Counts "TrovellePro.ConfigUpdate" arriving at a top-level window, with its wParam.
class BroadcastListener {
public:
    BroadcastListener();
    ~BroadcastListener();
    BroadcastListener(const BroadcastListener&) = delete;
    BroadcastListener& operator=(const BroadcastListener&) = delete;
    int Count() const { return count_; }
    WPARAM LastWParam() const { return lastWParam_; }

private:
    static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
    HWND window_ = nullptr;
    UINT message_ = 0;
    int count_ = 0;
    WPARAM lastWParam_ = 0;
};

// A band site with a chosen set of abilities.
struct SiteOffer {
    bool window = true;         // IOleWindow
    HWND windowHandle = nullptr;
    bool services = true;       // IServiceProvider
    bool browser = true;        // SID_SWebBrowserApp answers IWebBrowser2
    bool inputSite = true;      // IInputObjectSite
};
class FakeSite;
Microsoft::WRL::ComPtr<IUnknown> MakeSite(const SiteOffer& offer, IWebBrowser2* browser);

Microsoft::WRL::ComPtr<host::RefreshOnlyBrowser> MakeBrowser();

// The band window of a band and its toolbar.
HWND BandWindowOf(IDeskBand& band);
HWND ToolbarOf(HWND bandWindow);

// The settings key: cleared, read raw, written raw.
void ClearSettings();
std::vector<BYTE> StoredBytes(const wchar_t* name);  // empty when missing
bool IsStored(const wchar_t* name);
void StoreBytes(const wchar_t* name, std::vector<BYTE> bytes);

// The popup menu windows (class #32768) visible now.
std::vector<HWND> OpenMenuWindows();
// Waits up to `ms` for a visible popup menu; null when none came.
HWND WaitForMenu(DWORD ms = 5000);
// Waits up to `ms` until no popup menu is visible.
bool WaitForMenuClosed(DWORD ms = 5000);
void PostKey(HWND menuWindow, WPARAM key);
// Moves the highlight of the menu shown by `menuWindow` (in this process) to `position`.
bool HighlightItem(HWND menuWindow, int position);
// The position of `command` in `menu`, or -1.
int PositionOf(HMENU menu, UINT command);

// What the driver saw while the band's menu was open, on the band's thread's behalf.
struct MenuVisit {
    bool opened = false;
    HMENU menu = nullptr;
    std::vector<UINT> checked;     // every checked choice command
    LRESULT buttonState = 0;       // TB_GETSTATE of the toolbar button while open
};

// Clicks the band's button on this thread while another thread looks at the menu, records
// what it shows and then runs `act` on it (which must close it).
MenuVisit ClickAndDrive(HWND bandWindow, HWND toolbar,
                        const std::function<void(HWND menuWindow, HMENU menu)>& act);

// Acts for ClickAndDrive: dismiss, or choose a command (in a submenu when needed).
void Dismiss(HWND menuWindow, HMENU menu);
std::function<void(HWND, HMENU)> Choose(UINT command);

}  // namespace trovelle::test
