// Dialog base: creates modeless or modal dialogs from templates and routes their messages to
// the derived class through a message map keyed by message, control id and notification code.
#pragma once

#include <windows.h>

#include <span>

namespace trovelle::ui {

inline constexpr UINT kAnyId = 0xFFFFFFFF;
inline constexpr UINT kAnyCode = 0xFFFFFFFF;

template <typename Owner>
struct MessageMapEntry {
    UINT message;
    UINT id;    // WM_COMMAND only: the control or command id, or kAnyId
    UINT code;  // WM_COMMAND only: the notification code, or kAnyCode
    LRESULT (Owner::*handler)(WPARAM wParam, LPARAM lParam);
};

// Runs the first entry that matches; false when none does.
template <typename Owner>
bool RouteMessage(Owner* owner, std::span<const MessageMapEntry<Owner>> map, UINT message,
                  WPARAM wParam, LPARAM lParam, LRESULT& result) {
    for (const MessageMapEntry<Owner>& entry : map) {
        if (entry.message != message) continue;
        if (message == WM_COMMAND) {
            if (entry.id != kAnyId && entry.id != LOWORD(wParam)) continue;
            if (entry.code != kAnyCode && entry.code != HIWORD(wParam)) continue;
        }
        result = (owner->*entry.handler)(wParam, lParam);
        return true;
    }
    return false;
}

class DialogWindow {
public:
    DialogWindow() = default;
    virtual ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    // Modeless; nullptr when the dialog could not be created.
    HWND Create(HINSTANCE instance, int templateId, HWND parent);
    // Modal; the value given to EndDialog, or -1 when the dialog could not be created.
    INT_PTR DoModal(HINSTANCE instance, int templateId, HWND parent);

    HWND Window() const { return window_; }
    HWND Item(int id) const { return ::GetDlgItem(window_, id); }

protected:
    // The derived class's message map; true when the message was handled.
    virtual bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
};

// Helpers both dialogs share.
void CenterWindow(HWND window, HWND over);  // over nullptr: the work area
void SetDialogIcons(HWND window, HINSTANCE instance, int iconId);
// The dialog's own font with another weight (kOwnWeight keeps it) and, if asked, underlined;
// the caller owns the result.
inline constexpr LONG kOwnWeight = -1;
HFONT DeriveDialogFont(HWND window, LONG weight, bool underline);

}  // namespace trovelle::ui
