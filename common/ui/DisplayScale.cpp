#include "DisplayScale.h"

#include <atomic>

namespace trovelle {
namespace {

// Loaded by name: systems before Windows 10 (1607) have neither.
template <typename Function>
Function User32Function(const char* name) {
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    // Through void*: a function's real type is not FARPROC's.
    return user32 != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name)))
                             : nullptr;
}

}  // namespace

UINT DpiOfWindow(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpiForWindow != nullptr && window != nullptr) {
        if (const UINT dpi = getDpiForWindow(window); dpi != 0) return dpi;
    }
    const WindowDc screen(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

UniqueFont UiFontForDpi(UINT dpi) {
    using ForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static const auto forDpi = User32Function<ForDpiFunction>("SystemParametersInfoForDpi");
    LOGFONTW font = {};
    if (forDpi != nullptr && forDpi(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0, dpi)) {
        return UniqueFont(::CreateFontIndirectW(&font));
    }
    // Without the per-DPI call: the system's font, scaled from the system's DPI.
    if (!::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0)) return {};
    const WindowDc screen(nullptr);
    const int systemDpi = screen ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : kDefaultDpi;
    font.lfHeight = ::MulDiv(font.lfHeight, static_cast<int>(dpi), systemDpi);
    return UniqueFont(::CreateFontIndirectW(&font));
}

namespace {

bool ReadHighContrast() {
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof(contrast);
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

std::atomic<bool>& HighContrast() {
    static std::atomic<bool> on{ReadHighContrast()};
    return on;
}

}  // namespace

bool HighContrastOn() { return HighContrast().load(std::memory_order_relaxed); }

void RereadHighContrast() { HighContrast().store(ReadHighContrast(), std::memory_order_relaxed); }

}  // namespace trovelle
