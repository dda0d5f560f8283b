// ACL_Menu: loading, icon tiles, conversion to owner-draw, colours and the check picture.
#include "ACL_Menu.h"

#include <new>
#include <optional>

#include "SystemVersion.h"

namespace trovelle {
namespace {

// A failing call that leaves no error code must still read as a failure.
DWORD LastErrorOr(DWORD fallback) {
    const DWORD error = ::GetLastError();
    return error != 0 ? error : fallback;
}

// Every system this runs on has a menu-bar colour (5.1 and later); compare the whole version.
bool HasMenuBarColor() {
    const std::optional<WindowsVersion> version = ReportedWindowsVersion();
    return !version || version->major > 5 || (version->major == 5 && version->minor >= 1);
}

void SetVertexColor(TRIVERTEX& vertex, COLORREF color) {
    vertex.Red = static_cast<COLOR16>(GetRValue(color) << 8);
    vertex.Green = static_cast<COLOR16>(GetGValue(color) << 8);
    vertex.Blue = static_cast<COLOR16>(GetBValue(color) << 8);
    vertex.Alpha = 0;
}

// The highlight fill of the defaults is a pale version of the system highlight colour.
COLORREF PaleHighlight() {
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    auto pale = [](BYTE channel) { return static_cast<BYTE>((channel / 10) * 3 + 179); };
    return RGB(pale(GetRValue(highlight)), pale(GetGValue(highlight)), pale(GetBValue(highlight)));
}

// The top-left pixel of a bitmap, read through a memory DC compatible with `reference`.
DWORD ReadCornerPixel(HDC reference, HBITMAP bitmap, COLORREF& color) {
    UniqueMemoryDc memory(::CreateCompatibleDC(reference));
    if (!memory) return LastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
    const SelectionScope select(memory.Get(), bitmap);
    color = ::GetPixel(memory.Get(), 0, 0);
    return 0;
}

}  // namespace

ACL_MenuPalette DefaultMenuPalette() {
    return {RGB(244, 244, 241), PaleHighlight(), RGB(244, 244, 241), RGB(166, 196, 245),
            RGB(0, 0, 0),       RGB(0, 0, 0),    RGB(172, 168, 153), RGB(49, 106, 197),
            RGB(172, 168, 153), RGB(0, 0, 0)};
}

ACL_MenuPalette ProductMenuPalette() {
    // The grey text colour, a little warmer: red and green lowered by 30 as one subtraction.
    const COLORREF disabled = ::GetSysColor(COLOR_GRAYTEXT) - 0x1E1E;
    return {0xF6F6F6,     0xD6A68A, 0xFFEFE3, 0xD6A68A, 0x000000,
            0x000000,     disabled, 0x800000, 0xD6A68A, 0x000000};
}

ACL_Menu::ACL_Menu() { SetColors(DefaultMenuPalette()); }

ACL_Menu::~ACL_Menu() { Clear(); }

void ACL_Menu::SetImageSize(int width, int height, int marginX, int marginY) {
    if (width != -2) imageWidth_ = width;
    if (height != -2) imageHeight_ = height;
    if (marginX != -2) imageMarginX_ = marginX;
    if (marginY != -2) imageMarginY_ = marginY;
    UpdateLayout();
}

void ACL_Menu::UpdateLayout() {
    cellWidth_ = imageWidth_ + 2 * imageMarginX_;
    cellHeight_ = imageHeight_ + 2 * imageMarginY_;
}

DWORD ACL_Menu::Load(HINSTANCE instance, UINT menuId, UINT iconListId, UINT iconStripId,
                     HWND owner, BOOL convertTopLevel) {
    if (menu_) return ERROR_ALREADY_EXISTS;
    instance_ = instance;
    owner_ = owner;
    convertTopLevel_ = convertTopLevel;
    menu_.Reset(::LoadMenuW(instance, MAKEINTRESOURCEW(menuId)));
    if (!menu_) return LastErrorOr(ERROR_RESOURCE_NAME_NOT_FOUND);

    if (iconListId != 0) LoadIcons(iconListId, iconStripId);  // fewer icons is no failure

    if (convertTopLevel) {
        ConvertMenu(menu_.Get());
    } else {
        const int count = ::GetMenuItemCount(menu_.Get());
        for (int position = 0; position < count; ++position) {
            if (HMENU submenu = ::GetSubMenu(menu_.Get(), position)) ConvertMenu(submenu);
        }
    }
    return 0;
}

DWORD ACL_Menu::LoadIcons(UINT iconListId, UINT iconStripId) {
    UniqueMenu list(::LoadMenuW(instance_, MAKEINTRESOURCEW(iconListId)));
    if (!list) return LastErrorOr(ERROR_RESOURCE_NAME_NOT_FOUND);
    UniqueBitmap strip(::LoadBitmapW(instance_, MAKEINTRESOURCEW(iconStripId)));
    if (!strip) return LastErrorOr(ERROR_RESOURCE_NAME_NOT_FOUND);

    const int count = ::GetMenuItemCount(list.Get());
    BITMAP stripInfo = {};
    if (count <= 0 || ::GetObjectW(strip.Get(), sizeof(stripInfo), &stripInfo) == 0) {
        return ERROR_INVALID_DATA;
    }
    const int tileWidth = stripInfo.bmWidth / count;
    const int tileHeight = stripInfo.bmHeight;
    if (tileWidth <= 0 || tileHeight <= 0) return ERROR_INVALID_DATA;
    if (imageWidth_ == -1) imageWidth_ = tileWidth;
    if (imageHeight_ == -1) imageHeight_ = tileHeight;
    UpdateLayout();

    const WindowDc screen(owner_);
    if (!screen) return LastErrorOr(ERROR_DC_NOT_FOUND);
    UniqueMemoryDc source(::CreateCompatibleDC(screen.Get()));
    UniqueMemoryDc target(::CreateCompatibleDC(screen.Get()));
    if (!source || !target) return LastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
    const SelectionScope selectStrip(source.Get(), strip.Get());

    for (int position = 0; position < count; ++position) {
        auto icon = std::unique_ptr<MenuIcon>(new (std::nothrow) MenuIcon);
        if (!icon) return ERROR_OUTOFMEMORY;
        icon->bitmap.Reset(::CreateCompatibleBitmap(screen.Get(), imageWidth_, imageHeight_));
        if (!icon->bitmap) return LastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
        {
            const SelectionScope selectTile(target.Get(), icon->bitmap.Get());
            ::BitBlt(target.Get(), 0, 0, tileWidth, tileHeight, source.Get(), position * tileWidth,
                     0, SRCCOPY);
            icon->transparentColor = ::GetPixel(target.Get(), 0, 0);
        }
        icon->command = ::GetMenuItemID(list.Get(), position);
        icons_.push_back(std::move(icon));
    }
    return 0;
}

MenuIcon* ACL_Menu::IconFor(UINT command) const {
    for (const auto& icon : icons_) {
        if (icon->command == command) return icon.get();
    }
    return nullptr;
}

void ACL_Menu::ConvertMenu(HMENU menu) { ConvertMenuItems(menu); }

void ACL_Menu::ConvertMenuItems(HMENU menu) {
    const int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        auto item = std::unique_ptr<MenuItemData>(new (std::nothrow) MenuItemData);
        if (!item) return;  // out of memory: the rest stays as ordinary items
        const HMENU submenu = ::GetSubMenu(menu, position);
        item->icon = IconFor(::GetMenuItemID(menu, position));
        item->menuState = ::GetMenuState(menu, position, MF_BYPOSITION);
        // For an item that opens a submenu the high byte is the submenu's item count, which
        // must not be mistaken for the separator bit.
        if (submenu != nullptr) item->menuState &= 0xFF;
        item->topLevel = menu == menu_.Get() ? 1 : 0;

        const int length = ::GetMenuStringW(menu, position, nullptr, 0, MF_BYPOSITION);
        if (length > 0) {
            item->text.resize(static_cast<size_t>(length) + 1);
            const int copied = ::GetMenuStringW(menu, position, item->text.data(), length + 1,
                                                MF_BYPOSITION);
            item->text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        }

        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE;
        if (!::GetMenuItemInfoW(menu, position, TRUE, &info)) continue;
        info.fType |= MFT_OWNERDRAW;
        info.fMask = MIIM_FTYPE | MIIM_DATA;
        info.dwItemData = reinterpret_cast<ULONG_PTR>(item.get());
        if (!::SetMenuItemInfoW(menu, position, TRUE, &info)) continue;
        items_.push_back(std::move(item));

        if (submenu != nullptr) ConvertMenuItems(submenu);
    }
}

void ACL_Menu::Clear() {
    menu_.Reset();
    items_.clear();
    icons_.clear();
}

DWORD ACL_Menu::SetCheckBitmap(HBITMAP bitmap, BOOL shared) {
    DWORD result = 0;
    if (bitmap != reinterpret_cast<HBITMAP>(-1)) {
        checkBitmap_.Reset(bitmap, checkBitmap_.Owned());
        if (bitmap != nullptr) {
            const WindowDc screen(owner_);
            COLORREF corner = checkTransparentColor_;
            result = screen ? ReadCornerPixel(screen.Get(), bitmap, corner)
                            : LastErrorOr(ERROR_DC_NOT_FOUND);
            if (result == 0) checkTransparentColor_ = corner;
        }
    }
    checkBitmap_.SetOwned(!shared);
    return result;
}

void ACL_Menu::SetColors(COLORREF background, COLORREF selectionFill, COLORREF gradientStart,
                         COLORREF gradientEnd, COLORREF text, COLORREF selectedText,
                         COLORREF disabledText, COLORREF selectionFrame, COLORREF separator,
                         COLORREF checkMark) {
    SetColors(ACL_MenuPalette{background, selectionFill, gradientStart, gradientEnd, text,
                              selectedText, disabledText, selectionFrame, separator, checkMark});
}

void ACL_Menu::SetColors(const ACL_MenuPalette& palette) {
    palette_ = palette;
    SetVertexColor(gradient_[0], palette.gradientStart);
    SetVertexColor(gradient_[1], palette.gradientEnd);
    shadowColor_ = ::GetSysColor(COLOR_BTNSHADOW);
    menuBarColor_ = ::GetSysColor(HasMenuBarColor() ? COLOR_MENUBAR : COLOR_BTNFACE);
}

}  // namespace trovelle
