// The display's scale and contrast as a window sees them: its DPI (per monitor where the
// system tells it), lengths given at 96 DPI scaled to it, the user-interface font at that DPI,
// and whether high contrast is on (then only the system's colours are used).
#pragma once

#include <windows.h>

#include "GdiScopes.h"

namespace trovelle {

inline constexpr UINT kDefaultDpi = 96;

// The window's DPI; the system's where the per-window call is missing (older systems).
UINT DpiOfWindow(HWND window);

inline int ScaleForDpi(int length, UINT dpi) { return ::MulDiv(length, static_cast<int>(dpi), 96); }
inline int ScaleForWindow(HWND window, int length) { return ScaleForDpi(length, DpiOfWindow(window)); }

// The font of message boxes and lists (the icon title font) at `dpi`.
UniqueFont UiFontForDpi(UINT dpi);

// Whether high contrast is on, as last read: read once, and again by RereadHighContrast (on
// WM_SETTINGCHANGE), as painting asks it for every cell.
bool HighContrastOn();
void RereadHighContrast();

}  // namespace trovelle
