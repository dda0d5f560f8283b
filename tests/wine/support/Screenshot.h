// Pictures of windows for a person to look at, saved by the test runs.
#pragma once

#include <windows.h>

#include <string>

#include "ScreenCapture.h"

namespace trovelle::test {

// Saves the window's client area (or, inside a Wine virtual desktop that draws frames, the whole
// window) as C:\\screenshots\\<name>.bmp; run-with-display.sh copies the pictures to
// build/screenshots as .png.
void SaveScreenshot(HWND window, const std::wstring& name, CaptureArea area = CaptureArea::Client);

}  // namespace trovelle::test
