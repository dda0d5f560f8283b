// Pictures of windows for a person to look at, saved by the test runs.
#pragma once

#include <windows.h>

#include <string>

namespace trovelle::test {

// Saves the window's client area as C:\\screenshots\\<name>.bmp; run-with-display.sh copies the
// pictures to build/screenshots as .png.
void SaveScreenshot(HWND window, const std::wstring& name);

}  // namespace trovelle::test
