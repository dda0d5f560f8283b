#include "ScreenCapture.h"

#include <vector>

#include "GdiScopes.h"
#include "UniqueHandle.h"

namespace trovelle {
namespace {

bool WriteAll(HANDLE file, const void* data, DWORD size) {
    DWORD written = 0;
    return ::WriteFile(file, data, size, &written, nullptr) && written == size;
}

// The screen rectangle the picture covers.
bool AreaOf(HWND window, CaptureArea part, RECT& area) {
    if (window == nullptr) {
        area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        return true;
    }
    if (part == CaptureArea::Window) return ::GetWindowRect(window, &area) != FALSE;
    if (!::GetClientRect(window, &area)) return false;
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    return true;
}

}  // namespace

bool SaveScreenPicture(HWND window, const std::wstring& path, CaptureArea part) {
    RECT area{};
    if (!AreaOf(window, part, area)) return false;
    // Only what the screen shows: a copy reaching past its edge comes out black.
    const RECT shown = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (!::IntersectRect(&area, &area, &shown)) return false;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;

    const WindowDc screen(nullptr);
    if (!screen) return false;
    UniqueMemoryDc memory(::CreateCompatibleDC(screen.Get()));
    UniqueBitmap picture(::CreateCompatibleBitmap(screen.Get(), width, height));
    if (!memory || !picture) return false;
    {
        const SelectionScope select(memory.Get(), picture.Get());
        if (!::BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), area.left, area.top,
                      SRCCOPY)) {
            return false;
        }
    }

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;  // bottom-up, as .bmp files store it
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    std::vector<BYTE> pixels(static_cast<size_t>(stride) * height);
    if (::GetDIBits(memory.Get(), picture.Get(), 0, height, pixels.data(),
                    reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS) != height) {
        return false;
    }

    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfOffBits = sizeof(fileHeader) + sizeof(header);
    fileHeader.bfSize = fileHeader.bfOffBits + static_cast<DWORD>(pixels.size());
    const UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    return WriteAll(file.Get(), &fileHeader, sizeof(fileHeader)) &&
           WriteAll(file.Get(), &header, sizeof(header)) &&
           WriteAll(file.Get(), pixels.data(), static_cast<DWORD>(pixels.size()));
}

}  // namespace trovelle
