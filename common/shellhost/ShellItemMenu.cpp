#include "ShellItemMenu.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cstring>

#include "GdiScopes.h"
#include "ShellSelection.h"

namespace trovelle::host {
namespace {

using Microsoft::WRL::ComPtr;

constexpr UINT kFirstCommand = 1;
constexpr UINT kLastCommand = 0x7FFF;

bool KeyDown(int key) { return (::GetKeyState(key) & 0x8000) != 0; }

// The menu of the selection, filled by the shell's handlers.
struct FilledMenu {
    ComPtr<IContextMenu> menu;
    UniqueMenu popup;
};

HRESULT FillMenu(HWND owner, const std::vector<std::wstring>& paths, UINT flags, FilledMenu& filled) {
    ShellSelection selection;
    HRESULT hr = selection.Open(paths);
    if (SUCCEEDED(hr)) hr = selection.UIObject(owner, filled.menu);
    if (FAILED(hr)) return hr;
    filled.popup.Reset(::CreatePopupMenu());
    if (!filled.popup) return HRESULT_FROM_WIN32(::GetLastError());
    hr = filled.menu->QueryContextMenu(filled.popup.Get(), 0, kFirstCommand, kLastCommand, flags);
    return FAILED(hr) ? hr : S_OK;
}

// Owner-drawn items and submenus filled on demand ("Send to", "Open with") need the menu
// messages that the owner window receives while the menu is up; the subclass hands them over.
class MenuMessageForwarding {
public:
    MenuMessageForwarding(HWND owner, IContextMenu& menu) : owner_(owner) {
        if (FAILED(menu.QueryInterface(IID_PPV_ARGS(&menu3_)))) {
            menu.QueryInterface(IID_PPV_ARGS(&menu2_));
        }
        if (menu2_ || menu3_) {
            subclassed_ = ::SetWindowSubclass(owner_, &Forward, SubclassId(),
                                              reinterpret_cast<DWORD_PTR>(this)) != FALSE;
        }
    }
    ~MenuMessageForwarding() {
        if (subclassed_) ::RemoveWindowSubclass(owner_, &Forward, SubclassId());
    }
    MenuMessageForwarding(const MenuMessageForwarding&) = delete;
    MenuMessageForwarding& operator=(const MenuMessageForwarding&) = delete;

private:
    UINT_PTR SubclassId() const { return reinterpret_cast<UINT_PTR>(this); }

    static bool IsMenuItemMessage(UINT message, LPARAM lParam) {
        // The owner's own owner-drawn controls keep their WM_DRAWITEM and WM_MEASUREITEM.
        if (message == WM_DRAWITEM) {
            return reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->CtlType == ODT_MENU;
        }
        if (message == WM_MEASUREITEM) {
            return reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlType == ODT_MENU;
        }
        return message == WM_INITMENUPOPUP || message == WM_MENUCHAR;
    }

    bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        if (!IsMenuItemMessage(message, lParam)) return false;
        if (menu3_) return SUCCEEDED(menu3_->HandleMenuMsg2(message, wParam, lParam, &result));
        if (message == WM_MENUCHAR) return false;  // IContextMenu2 has no answer to give
        result = message == WM_INITMENUPOPUP ? 0 : TRUE;
        return SUCCEEDED(menu2_->HandleMenuMsg(message, wParam, lParam));
    }

    static LRESULT CALLBACK Forward(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR self) {
        LRESULT result = 0;
        if (reinterpret_cast<MenuMessageForwarding*>(self)->Handle(message, wParam, lParam, result)) {
            return result;
        }
        return ::DefSubclassProc(window, message, wParam, lParam);
    }

    HWND owner_;
    ComPtr<IContextMenu2> menu2_;
    ComPtr<IContextMenu3> menu3_;
    bool subclassed_ = false;
};

std::wstring CommandVerb(IContextMenu& menu, UINT offset) {
    wchar_t wide[128] = {};
    if (SUCCEEDED(menu.GetCommandString(offset, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(wide),
                                        ARRAYSIZE(wide))) &&
        wide[0] != L'\0') {
        return wide;
    }
    // Older handlers answer only the ANSI form; verbs are ASCII.
    char ansi[128] = {};
    if (FAILED(menu.GetCommandString(offset, GCS_VERBA, nullptr, ansi, ARRAYSIZE(ansi)))) return {};
    ansi[ARRAYSIZE(ansi) - 1] = '\0';
    return std::wstring(ansi, ansi + strlen(ansi));
}

HRESULT Invoke(HWND owner, IContextMenu& menu, const char* verb, const wchar_t* wideVerb,
               const POINT* at) {
    CMINVOKECOMMANDINFOEX info = {};
    info.cbSize = sizeof(info);
    info.fMask = CMIC_MASK_UNICODE | CMIC_MASK_FLAG_LOG_USAGE;
    if (at != nullptr) {
        info.fMask |= CMIC_MASK_PTINVOKE;
        info.ptInvoke = *at;
    }
    if (KeyDown(VK_SHIFT)) info.fMask |= CMIC_MASK_SHIFT_DOWN;
    if (KeyDown(VK_CONTROL)) info.fMask |= CMIC_MASK_CONTROL_DOWN;
    info.hwnd = owner;
    info.lpVerb = verb;
    info.lpVerbW = wideVerb;
    info.nShow = SW_SHOWNORMAL;
    return menu.InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info));
}

}  // namespace

HRESULT ShowShellItemMenu(HWND owner, const std::vector<std::wstring>& paths, POINT screenPoint,
                          const ShellMenuHooks& hooks) {
    FilledMenu filled;
    // Shift shows the extended verbs, as in Explorer.
    const UINT flags = CMF_NORMAL | CMF_CANRENAME | (KeyDown(VK_SHIFT) ? CMF_EXTENDEDVERBS : 0);
    HRESULT hr = FillMenu(owner, paths, flags, filled);
    if (FAILED(hr)) return hr;

    UINT command = 0;
    {
        const MenuMessageForwarding forwarding(owner, *filled.menu.Get());
        command = static_cast<UINT>(::TrackPopupMenuEx(filled.popup.Get(),
                                                       TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                       screenPoint.x, screenPoint.y, owner, nullptr));
    }
    if (command < kFirstCommand || command > kLastCommand) return S_FALSE;

    const UINT offset = command - kFirstCommand;
    if (hooks.runInstead && hooks.runInstead(CommandVerb(*filled.menu.Get(), offset))) return S_OK;
    return Invoke(owner, *filled.menu.Get(), MAKEINTRESOURCEA(offset), MAKEINTRESOURCEW(offset),
                  &screenPoint);
}

HRESULT InvokeShellVerb(HWND owner, const std::vector<std::wstring>& paths, const char* verb) {
    if (verb == nullptr || *verb == '\0') return E_INVALIDARG;
    FilledMenu filled;
    HRESULT hr = FillMenu(owner, paths, CMF_NORMAL | CMF_CANRENAME, filled);
    if (FAILED(hr)) return hr;
    const std::wstring wideVerb(verb, verb + strlen(verb));
    return Invoke(owner, *filled.menu.Get(), verb, wideVerb.c_str(), nullptr);
}

}  // namespace trovelle::host
