// Remembers a window's screen position in a registry value between runs.
#pragma once

#include <windows.h>

#include <string>

namespace trovelle::properties {

// Value layouts, told apart by length: the short form this program writes (left, top of the
// normal rectangle, then the show command) and a whole WINDOWPLACEMENT record.
inline constexpr DWORD kShortPlacementBytes = 12;
inline constexpr DWORD kFullPlacementBytes = 44;

// The corner of a short-form value brought into the virtual screen `screen`: pulled to the
// left/top edge when beyond it, put at half the right/bottom edge coordinate when beyond that.
POINT ClampShortCorner(POINT corner, const RECT& screen);
// A full-form normal rectangle moved (size kept) inside the virtual screen.
RECT ClampNormalRect(RECT normal, const RECT& screen);
RECT VirtualScreen();

class CWindowPlacementStore {
public:
    CWindowPlacementStore(HKEY root, const wchar_t* subKey);

    // Win32 error codes: 0, the first registry error met, or ERROR_INVALID_DATA without a
    // key to work on or with a value too short to hold a position.
    DWORD SavePlacement(HWND window, const wchar_t* valueName, bool fullForm,
                        bool createKey) const;
    DWORD RestorePlacement(HWND window, const wchar_t* valueName, bool clampToScreen) const;

private:
    HKEY root_;
    std::wstring subKey_;
};

}  // namespace trovelle::properties
