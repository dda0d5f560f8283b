// CBandWindow: the band's child window in the browser's rebar, holding the one-button toolbar
// and the settings menu the button drops down.
#pragma once

#include <windows.h>
#include <exdisp.h>

#include "ACL_Menu.h"
#include "GdiScopes.h"

namespace trovelle {

class CBandWindow {
public:
    CBandWindow();
    ~CBandWindow();
    CBandWindow(const CBandWindow&) = delete;
    CBandWindow& operator=(const CBandWindow&) = delete;

    // Creates the window over `parent`'s client area; false when it cannot be made.
    bool Create(HWND parent);
    // Moves the existing window to a new parent (a band handed to another site).
    bool MoveTo(HWND parent);

    HWND Handle() const { return window_; }
    HWND Toolbar() const { return toolbar_; }
    ACL_Menu& Menu() { return menu_; }
    IWebBrowser2* Browser() const { return browser_; }
    void SetBrowser(IWebBrowser2* browser) { browser_ = browser; }
    UINT ConfigUpdateMessage() const { return configUpdateMessage_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void SetUp();
    void CreateToolbar(HINSTANCE instance);
    void SetUpMenu(HINSTANCE instance);

    HWND window_ = nullptr;
    IWebBrowser2* browser_ = nullptr;  // the band object's reference; not owned here
    ACL_Menu menu_;
    HWND toolbar_ = nullptr;
    UniqueImageList imageList_;
    const UINT configUpdateMessage_;
};

// Forgets the window class when the library leaves a process that goes on running.
void UnregisterBandWindowClass();

}  // namespace trovelle
