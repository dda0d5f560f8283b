// The one way a window procedure finds the C++ object behind its window: the object comes with
// the creation message (WM_NCCREATE's creation parameter for a window, WM_INITDIALOG's lParam
// for a dialog), is kept in the window's user slot, and is let go at WM_NCDESTROY so that no
// later message reaches it.
#pragma once

#include <windows.h>

namespace trovelle::ui {

// Where the owner is kept: GWLP_USERDATA for windows, DWLP_USER for dialogs.
template <typename Owner, UINT kCreationMessage, int kSlot>
Owner* OwnerOfWindow(HWND window, UINT message, LPARAM lParam) {
    static_assert(kCreationMessage == WM_NCCREATE || kCreationMessage == WM_INITDIALOG);
    if (message == kCreationMessage) {
        Owner* owner = nullptr;
        if constexpr (kCreationMessage == WM_NCCREATE) {
            owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        } else {
            owner = reinterpret_cast<Owner*>(lParam);
        }
        ::SetWindowLongPtrW(window, kSlot, reinterpret_cast<LONG_PTR>(owner));
        return owner;
    }
    Owner* owner = reinterpret_cast<Owner*>(::GetWindowLongPtrW(window, kSlot));
    if (message == WM_NCDESTROY) ::SetWindowLongPtrW(window, kSlot, 0);
    return owner;
}

template <typename Owner>
Owner* OwnerOfPlainWindow(HWND window, UINT message, LPARAM lParam) {
    return OwnerOfWindow<Owner, WM_NCCREATE, GWLP_USERDATA>(window, message, lParam);
}

template <typename Owner>
Owner* OwnerOfDialog(HWND window, UINT message, LPARAM lParam) {
    return OwnerOfWindow<Owner, WM_INITDIALOG, DWLP_USER>(window, message, lParam);
}

}  // namespace trovelle::ui
