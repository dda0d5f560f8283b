#include "WindowPlacementStore.h"

#include <cstring>

#include "UniqueHandle.h"

namespace trovelle::properties {
namespace {

static_assert(sizeof(WINDOWPLACEMENT) == kFullPlacementBytes);

struct ShortPlacement {
    int32_t left;
    int32_t top;
    uint32_t showCommand;
};
static_assert(sizeof(ShortPlacement) == kShortPlacementBytes);

}  // namespace

RECT VirtualScreen() {
    const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {x, y, x + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
            y + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

POINT ClampShortCorner(POINT corner, const RECT& screen) {
    if (corner.x < screen.left) corner.x = screen.left;
    if (corner.x > screen.right) corner.x = screen.right / 2;
    if (corner.y < screen.top) corner.y = screen.top;
    if (corner.y > screen.bottom) corner.y = screen.bottom / 2;
    return corner;
}

RECT ClampNormalRect(RECT normal, const RECT& screen) {
    const LONG width = normal.right - normal.left;
    const LONG height = normal.bottom - normal.top;
    if (normal.left < screen.left) {
        normal.left = screen.left;
        normal.right = screen.left + width;
    }
    if (normal.left > screen.right) {
        normal.right = screen.right;
        normal.left = screen.right - width;
    }
    if (normal.top < screen.top) {
        normal.top = screen.top;
        normal.bottom = screen.top + height;
    }
    if (normal.top > screen.bottom) {
        normal.bottom = screen.bottom;
        normal.top = screen.bottom - height;
    }
    return normal;
}

CWindowPlacementStore::CWindowPlacementStore(HKEY root, const wchar_t* subKey)
    : root_(root), subKey_(subKey != nullptr ? subKey : L"") {}

DWORD CWindowPlacementStore::SavePlacement(HWND window, const wchar_t* valueName, bool fullForm,
                                           bool createKey) const {
    if (root_ == nullptr || subKey_.empty()) return ERROR_INVALID_DATA;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!::GetWindowPlacement(window, &placement)) return ::GetLastError();

    UniqueRegistryKey key;
    const LSTATUS opened =
        createKey ? ::RegCreateKeyExW(root_, subKey_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_ALL_ACCESS, nullptr, key.Put(), nullptr)
                  : ::RegOpenKeyExW(root_, subKey_.c_str(), 0, KEY_ALL_ACCESS, key.Put());
    if (opened != ERROR_SUCCESS) return static_cast<DWORD>(opened);

    const ShortPlacement brief{placement.rcNormalPosition.left, placement.rcNormalPosition.top,
                               placement.showCmd};
    const void* data = fullForm ? static_cast<const void*>(&placement) : &brief;
    const DWORD bytes = fullForm ? kFullPlacementBytes : kShortPlacementBytes;
    return static_cast<DWORD>(::RegSetValueExW(key.Get(), valueName, 0, REG_BINARY,
                                               static_cast<const BYTE*>(data), bytes));
}

DWORD CWindowPlacementStore::RestorePlacement(HWND window, const wchar_t* valueName,
                                              bool clampToScreen) const {
    if (root_ == nullptr || subKey_.empty()) return ERROR_INVALID_DATA;
    BYTE stored[kFullPlacementBytes] = {};
    DWORD length = sizeof(stored);
    {
        UniqueRegistryKey key;
        LSTATUS status = ::RegOpenKeyExW(root_, subKey_.c_str(), 0, KEY_ALL_ACCESS, key.Put());
        if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
        status = ::RegQueryValueExW(key.Get(), valueName, nullptr, nullptr, stored, &length);
        if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
    }
    // Fewer bytes than a position needs would move the window to whatever the buffer held.
    if (length < kShortPlacementBytes) return ERROR_INVALID_DATA;

    const RECT screen = VirtualScreen();
    if (length == kFullPlacementBytes) {
        WINDOWPLACEMENT placement{};
        std::memcpy(&placement, stored, sizeof(placement));
        placement.length = sizeof(placement);
        if (clampToScreen) {
            placement.rcNormalPosition = ClampNormalRect(placement.rcNormalPosition, screen);
        }
        ::SetWindowPlacement(window, &placement);
        return ERROR_SUCCESS;
    }
    ShortPlacement brief{};
    std::memcpy(&brief, stored, sizeof(brief));
    POINT corner{brief.left, brief.top};
    if (clampToScreen) corner = ClampShortCorner(corner, screen);
    ::SetWindowPos(window, nullptr, corner.x, corner.y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    ::ShowWindow(window, static_cast<int>(brief.showCommand));
    return ERROR_SUCCESS;
}

}  // namespace trovelle::properties
