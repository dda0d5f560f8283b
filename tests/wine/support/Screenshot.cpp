// Window pictures taken from the screen (what the user sees, children and all) saved as .bmp.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "Screenshot.h"
#include "UniqueHandle.h"

namespace trovelle::test {
namespace {

// The run's wrapper copies this folder into the build tree.
constexpr wchar_t kScreenshotFolder[] = L"C:\\screenshots";

}  // namespace

void SaveScreenshot(HWND window, const std::wstring& name) {
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::Sleep(300);  // the other process paints asynchronously
    // The client area only: without a window manager nobody draws the caption under Xvfb.
    RECT frame{};
    ASSERT_TRUE(::GetClientRect(window, &frame));
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&frame), 2);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);

    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    UniqueGdiObject<HBITMAP> picture(::CreateCompatibleBitmap(screen, width, height));
    const HGDIOBJ previous = ::SelectObject(memory, picture.Get());
    ::BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    ::SelectObject(memory, previous);

    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    header.biSizeImage = stride * static_cast<DWORD>(height);
    std::vector<BYTE> pixels(header.biSizeImage);
    const int rows = ::GetDIBits(memory, picture.Get(), 0, static_cast<UINT>(height), pixels.data(),
                                 reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    ASSERT_EQ(rows, height);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    ::CreateDirectoryW(kScreenshotFolder, nullptr);
    const std::wstring path = std::wstring(kScreenshotFolder) + L"\\" + name + L".bmp";
    UniqueKernelHandle out(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(out);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(out.Get(), &file, sizeof(file), &written, nullptr));
    ASSERT_TRUE(::WriteFile(out.Get(), &header, sizeof(header), &written, nullptr));
    ASSERT_TRUE(::WriteFile(out.Get(), pixels.data(), header.biSizeImage, &written, nullptr));
}

}  // namespace trovelle::test
