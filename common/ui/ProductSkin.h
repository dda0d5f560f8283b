// The look of the product's settings dialogs, for every dialog that wears it: black text on the
// product's blue, section headers in a bold variant of the dialog's own font.
#pragma once

#include <windows.h>

#include <span>

#include "CtlColorHandler.h"

namespace trovelle::ui {

inline constexpr COLORREF kSkinText = 0x00000000;
inline constexpr COLORREF kSkinBlue = 0x00D6A68A;  // RGB 138, 166, 214

// Fills `table` (consulted by `dialog`'s WM_CTLCOLOR* messages); the table owns the bold font.
void ApplySettingsSkin(CtlColorTable& table, HWND dialog, std::span<const int> headerIds);

}  // namespace trovelle::ui
