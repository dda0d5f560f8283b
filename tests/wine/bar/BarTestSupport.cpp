#include "BarTestSupport.h"

#include <commctrl.h>
#include <exdisp.h>
#include <shlguid.h>

#include <gtest/gtest.h>

#include "ComObject.h"
#include "ProductNames.h"
#include "WindowOwner.h"
#include "UniqueHandle.h"

namespace trovelle::test {
namespace {

using Microsoft::WRL::ComPtr;

const wchar_t kTestWindowClass[] = L"TrovelleBarTestWindow";

void RegisterTestClass(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    ::RegisterClassExW(&windowClass);  // a second registration fails harmlessly
}

void Pump(DWORD ms) {
    const DWORD end = ::GetTickCount() + ms;
    do {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::Sleep(10);
    } while (static_cast<LONG>(end - ::GetTickCount()) > 0);
}

}  // namespace

// A site that offers only the interfaces a test asks for.
class FakeSite final
    : public ComObject<FakeSite, IOleWindow, IServiceProvider, IInputObjectSite> {
public:
    FakeSite(const SiteOffer& offer, IWebBrowser2* browser) : offer_(offer), browser_(browser) {
        size_t used = 0;
        if (offer_.window) table_[used++] = Answers<FakeSite, IOleWindow>(IID_IOleWindow);
        if (offer_.services) {
            table_[used++] = Answers<FakeSite, IServiceProvider>(IID_IServiceProvider);
        }
        if (offer_.inputSite) {
            table_[used++] = Answers<FakeSite, IInputObjectSite>(IID_IInputObjectSite);
        }
    }
    const QITAB* InterfaceTable() const { return table_; }

    STDMETHODIMP GetWindow(HWND* window) override {
        *window = offer_.windowHandle;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** result) override {
        *result = nullptr;
        if (service != SID_SWebBrowserApp || !offer_.browser || !browser_) return E_NOINTERFACE;
        return browser_->QueryInterface(iid, result);
    }
    STDMETHODIMP OnFocusChangeIS(IUnknown*, BOOL) override { return S_OK; }

private:
    SiteOffer offer_;
    ComPtr<IWebBrowser2> browser_;
    QITAB table_[4] = {};  // what this site offers, ending with an empty entry
};

ComPtr<IUnknown> MakeSite(const SiteOffer& offer, IWebBrowser2* browser) {
    ComPtr<IUnknown> site;
    FakeSite::CreateObject(nullptr, IID_PPV_ARGS(&site), offer, browser);
    return site;
}

ComPtr<host::RefreshOnlyBrowser> MakeBrowser() { return host::RefreshOnlyBrowser::Make(nullptr); }

ComPtr<IDeskBand> CreateBand() {
    CLSID clsid;
    ComPtr<IDeskBand> band;
    if (FAILED(::CLSIDFromString(kBarClsid, &clsid))) return band;
    ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&band));
    return band;
}

TestWindow::TestWindow(const wchar_t* caption, DWORD style) {
    RegisterTestClass(kTestWindowClass, ::DefWindowProcW);
    window_ = ::CreateWindowExW(0, kTestWindowClass, caption, style | WS_VISIBLE, 100, 100, 400,
                                200, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

TestWindow::~TestWindow() {
    if (::IsWindow(window_)) ::DestroyWindow(window_);
}

BroadcastListener::BroadcastListener() : message_(::RegisterWindowMessageW(kConfigUpdateMessageName)) {
    RegisterTestClass(L"TrovelleBroadcastListener", Procedure);
    window_ = ::CreateWindowExW(0, L"TrovelleBroadcastListener", L"listener", WS_OVERLAPPED, 0, 0,
                                10, 10, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
}

BroadcastListener::~BroadcastListener() {
    if (::IsWindow(window_)) ::DestroyWindow(window_);
}

LRESULT CALLBACK BroadcastListener::Procedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* self = ui::OwnerOfPlainWindow<BroadcastListener>(window, message, lParam);
    if (self != nullptr && message == self->message_) {
        ++self->count_;
        self->lastWParam_ = wParam;
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND BandWindowOf(IDeskBand& band) {
    HWND window = nullptr;
    band.GetWindow(&window);
    return window;
}

HWND ToolbarOf(HWND bandWindow) {
    return ::FindWindowExW(bandWindow, nullptr, TOOLBARCLASSNAMEW, L"TrovellePro Toolbar");
}

void ClearSettings() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

std::vector<BYTE> StoredBytes(const wchar_t* name) {
    std::vector<BYTE> bytes(64);
    DWORD length = static_cast<DWORD>(bytes.size());
    if (::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_ANY, nullptr, bytes.data(),
                       &length) != ERROR_SUCCESS) {
        return {};
    }
    bytes.resize(length);
    return bytes;
}

bool IsStored(const wchar_t* name) {
    return ::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_ANY, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

void StoreBytes(const wchar_t* name, std::vector<BYTE> bytes) {
    UniqueRegistryKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE,
                                nullptr, key.Put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.Get(), name, 0, REG_BINARY, bytes.data(),
                               static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

std::vector<HWND> OpenMenuWindows() {
    std::vector<HWND> windows;
    for (HWND window = ::FindWindowExW(nullptr, nullptr, L"#32768", nullptr); window != nullptr;
         window = ::FindWindowExW(nullptr, window, L"#32768", nullptr)) {
        if (::IsWindowVisible(window)) windows.push_back(window);
    }
    return windows;
}

HWND WaitForMenu(DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 20) {
        const auto windows = OpenMenuWindows();
        if (!windows.empty()) return windows.front();
        ::Sleep(20);
    }
    return nullptr;
}

bool WaitForMenuClosed(DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 20) {
        if (OpenMenuWindows().empty()) return true;
        ::Sleep(20);
    }
    return false;
}

void PostKey(HWND menuWindow, WPARAM key) {
    ::PostMessageW(menuWindow, WM_KEYDOWN, key, 1);
    ::PostMessageW(menuWindow, WM_KEYUP, key, 0xC0000001);
}

int PositionOf(HMENU menu, UINT command) {
    const int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        if (::GetMenuItemID(menu, position) == command) return position;
    }
    return -1;
}

namespace {

int HighlightedPosition(HMENU menu) {
    const int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        if (::GetMenuState(menu, position, MF_BYPOSITION) & MF_HILITE) return position;
    }
    return -1;
}

HMENU MenuOf(HWND menuWindow) {
    return reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
}

HWND MenuWindowShowing(HMENU menu) {
    for (DWORD waited = 0; waited < 3000; waited += 20) {
        for (HWND window : OpenMenuWindows()) {
            if (MenuOf(window) == menu) return window;
        }
        ::Sleep(20);
    }
    return nullptr;
}

}  // namespace

bool HighlightItem(HWND menuWindow, int position) {
    const HMENU menu = MenuOf(menuWindow);
    for (int step = 0; step < 40; ++step) {
        if (HighlightedPosition(menu) == position) return true;
        PostKey(menuWindow, VK_DOWN);
        ::Sleep(40);
    }
    return false;
}

void Dismiss(HWND menuWindow, HMENU) {
    for (int step = 0; step < 3 && !OpenMenuWindows().empty(); ++step) {
        PostKey(menuWindow, VK_ESCAPE);
        WaitForMenuClosed(1000);
    }
}

std::function<void(HWND, HMENU)> Choose(UINT command) {
    return [command](HWND menuWindow, HMENU menu) {
        int position = PositionOf(menu, command);
        HWND window = menuWindow;
        if (position < 0) {  // in one of the submenus
            for (int item = 0; item < ::GetMenuItemCount(menu) && position < 0; ++item) {
                const HMENU submenu = ::GetSubMenu(menu, item);
                if (submenu == nullptr || PositionOf(submenu, command) < 0) continue;
                ASSERT_TRUE(HighlightItem(menuWindow, item));
                PostKey(menuWindow, VK_RIGHT);
                window = MenuWindowShowing(submenu);
                ASSERT_NE(window, nullptr) << "the submenu did not open";
                position = PositionOf(submenu, command);
            }
        }
        ASSERT_GE(position, 0) << "no item for command " << command;
        ASSERT_TRUE(HighlightItem(window, position));
        PostKey(window, VK_RETURN);
    };
}

namespace {

struct DriverJob {
    HWND toolbar;
    const std::function<void(HWND, HMENU)>* act;
    MenuVisit visit;
};

DWORD WINAPI DriveMenu(void* parameter) {
    auto& job = *static_cast<DriverJob*>(parameter);
    const HWND window = WaitForMenu();
    if (window == nullptr) return 0;
    job.visit.opened = true;
    job.visit.menu = MenuOf(window);
    for (UINT command : std::initializer_list<UINT>{kAuto, kGBytes, kMBytes, kKBytes, kBytes, kFilesAndFolders, kFilesOnly,
                         kFoldersOnly, kNothing, kDontUse, kSpace, kDot, kComma, kApostrophe,
                         kQuote, kDontShow, kDigits1, 32799u, 32801u, 32804u, kDigits5}) {
        if (::GetMenuState(job.visit.menu, command, MF_BYCOMMAND) & MF_CHECKED) {
            job.visit.checked.push_back(command);
        }
    }
    job.visit.buttonState = ::SendMessageW(job.toolbar, TB_GETSTATE, kToolbarButton, 0);
    (*job.act)(window, job.visit.menu);
    if (!WaitForMenuClosed(3000)) Dismiss(window, job.visit.menu);
    return 0;
}

}  // namespace

MenuVisit ClickAndDrive(HWND bandWindow, HWND toolbar,
                        const std::function<void(HWND, HMENU)>& act) {
    DriverJob job{toolbar, &act, {}};
    UniqueKernelHandle driver(::CreateThread(nullptr, 0, DriveMenu, &job, 0, nullptr));
    if (!driver) return {};
    ::SendMessageW(bandWindow, WM_COMMAND, MAKEWPARAM(kToolbarButton, 0),
                   reinterpret_cast<LPARAM>(toolbar));
    // The driver may still be waiting for a menu that never came; keep this thread answering.
    const HANDLE handle = driver.Get();
    while (::MsgWaitForMultipleObjects(1, &handle, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        Pump(0);
    }
    return job.visit;
}

}  // namespace trovelle::test
