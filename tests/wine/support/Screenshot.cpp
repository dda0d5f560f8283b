// Window pictures taken from the screen (what the user sees, children and all) saved as .bmp.
#include <windows.h>

#include <gtest/gtest.h>

#include "ScreenCapture.h"
#include "Screenshot.h"

namespace trovelle::test {
namespace {

// The run's wrapper copies this folder into the build tree.
constexpr wchar_t kScreenshotFolder[] = L"C:\\screenshots";

}  // namespace

void SaveScreenshot(HWND window, const std::wstring& name, CaptureArea area) {
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::Sleep(300);  // the other process paints asynchronously
    ::CreateDirectoryW(kScreenshotFolder, nullptr);
    const std::wstring path = std::wstring(kScreenshotFolder) + L"\\" + name + L".bmp";
    EXPECT_TRUE(SaveScreenPicture(window, path, area)) << "no picture saved";
}

}  // namespace trovelle::test
