// The shell's own context menu of items in one folder, shown or invoked from a window of ours.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace trovelle::host {

// What the owner does itself instead of the shell's own command.
struct ShellMenuHooks {
    // Called with the chosen command's canonical verb ("delete", "rename", "properties",
    // "open", ...; empty when the command has none); true when the owner handled it, and the
    // shell's command is then not run.
    std::function<bool(const std::wstring& verb)> runInstead;
};

// Shows the context menu of `paths` (full paths of items of one folder, any length) at
// `screenPoint` and runs the chosen command. While the menu is up the owner window is
// subclassed so that the menu's own drawing and submenu messages (WM_INITMENUPOPUP,
// WM_DRAWITEM, WM_MEASUREITEM, WM_MENUCHAR) reach the shell's menu: the owner forwards nothing.
// `owner` must belong to the calling thread, which must be in a single-threaded apartment.
// S_FALSE when nothing was chosen.
HRESULT ShowShellItemMenu(HWND owner, const std::vector<std::wstring>& paths, POINT screenPoint,
                          const ShellMenuHooks& hooks);

// Runs `verb` of the items' context menu without showing it ("properties", "open", ...).
HRESULT InvokeShellVerb(HWND owner, const std::vector<std::wstring>& paths, const char* verb);

}  // namespace trovelle::host
