// Saves what the screen shows (all of it, or one window's area) as a 24-bit .bmp file.
#pragma once

#include <windows.h>

#include <string>

namespace trovelle::host {

// `window` null: the whole screen. False when the picture cannot be taken or written.
bool SaveScreenPicture(HWND window, const std::wstring& path);

}  // namespace trovelle::host
