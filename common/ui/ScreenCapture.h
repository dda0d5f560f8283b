// Saves what the screen shows (all of it, or one window's area) as a 24-bit .bmp file.
#pragma once

#include <windows.h>

#include <string>

namespace trovelle {

// Which part of a window the picture shows. Without a window manager (Xvfb) nobody draws the
// frame, so pictures taken there are better cut to the client area.
enum class CaptureArea { Window, Client };

// `window` null: the whole screen. False when the picture cannot be taken or written.
bool SaveScreenPicture(HWND window, const std::wstring& path,
                       CaptureArea part = CaptureArea::Window);

}  // namespace trovelle
