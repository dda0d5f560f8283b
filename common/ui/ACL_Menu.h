// ACL_Menu (ACL_: the prefix of this user-interface kit's classes, nothing to do with access
// control lists): a menu resource drawn in the product's own style (light background, gradient icon
// column, framed highlight, icons that lift over a shadow when hovered, grey disabled icons, a
// tick or a check picture, thin separators, optional menu-bar items).
//
// Use:
//   ACL_Menu menu;                                   // default palette
//   menu.SetImageSize(14, 14, -2, -2);               // before Load: tiles are cut at Load
//   menu.Load(module, menuId, iconListId, stripId, ownerWindow, FALSE);   // 0 or Win32 error
//   menu.SetCheckBitmap(picture, FALSE);             // optional; FALSE: the menu deletes it
//   menu.SetColors(ProductMenuPalette());            // the palette both of our menus share
//   TrackPopupMenu(GetSubMenu(menu.GetMenu(), 0), ..., ownerWindow, ...);
// The owner window must hand every WM_MEASUREITEM / WM_DRAWITEM to MeasureItem / DrawItem.
// Icons: bitmap `iconStripId` is cut into as many equal tiles as menu `iconListId` has items;
// tile p belongs to the command of item p. Each tile's top-left pixel is its transparent colour.
// The class owns the menu, its item records, the icon bitmaps and (unless shared) the check
// picture; GetMenu's handle must not be destroyed by callers. One thread, the owner's, only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "GdiScopes.h"

namespace trovelle {

// The ten colours of a menu, in SetColors' order (COLORREF 0x00BBGGRR).
struct ACL_MenuPalette {
    COLORREF background;
    COLORREF selectionFill;
    COLORREF gradientStart;
    COLORREF gradientEnd;
    COLORREF text;
    COLORREF selectedText;
    COLORREF disabledText;
    COLORREF selectionFrame;
    COLORREF separator;
    COLORREF checkMark;
};

// The class's own defaults, and the palette the toolbar and the settings program both set.
ACL_MenuPalette DefaultMenuPalette();
ACL_MenuPalette ProductMenuPalette();

struct MenuIcon {
    UINT command = 0;
    COLORREF transparentColor = 0;
    UniqueBitmap bitmap;
};

struct MenuItemData {
    std::wstring text;           // as converted, "&" mnemonics and tabs kept
    MenuIcon* icon = nullptr;    // not owned: one of the menu's icons
    UINT menuState = 0;          // only MF_SEPARATOR is used
    int topLevel = 0;            // 1 for an item directly in the loaded (menu-bar) menu
};

class ACL_Menu {
public:
    ACL_Menu();
    virtual ~ACL_Menu();
    virtual void MeasureItem(MEASUREITEMSTRUCT* measure);
    virtual void DrawItem(const DRAWITEMSTRUCT* draw);

    ACL_Menu(const ACL_Menu&) = delete;
    ACL_Menu& operator=(const ACL_Menu&) = delete;

    // -2 leaves a field as it is; -1 for width or height takes the size from the icon strip.
    void SetImageSize(int width, int height, int marginX, int marginY);
    // 0, ERROR_ALREADY_EXISTS (183) when a menu is loaded, or the Win32 error of LoadMenuW.
    DWORD Load(HINSTANCE instance, UINT menuId, UINT iconListId, UINT iconStripId, HWND owner,
               BOOL convertTopLevel);
    // Cuts the strip into icons; 0 or a Win32 error (icons cut before a failure stay).
    DWORD LoadIcons(UINT iconListId, UINT iconStripId);
    // Makes every item of `menu` and its submenus owner-drawn, with a record as item data.
    void ConvertMenu(HMENU menu);
    // (HBITMAP)-1 keeps the picture and only stores `shared`. 0 or a Win32 error.
    DWORD SetCheckBitmap(HBITMAP bitmap, BOOL shared);
    void SetColors(COLORREF background, COLORREF selectionFill, COLORREF gradientStart,
                   COLORREF gradientEnd, COLORREF text, COLORREF selectedText,
                   COLORREF disabledText, COLORREF selectionFrame, COLORREF separator,
                   COLORREF checkMark);
    void SetColors(const ACL_MenuPalette& palette);
    HMENU GetMenu() const { return menu_.Get(); }
    // Destroys the menu and forgets its records and icons.
    void Clear();

    // Read-only views, for the owner's layout and for tests.
    int CellWidth() const { return cellWidth_; }
    int CellHeight() const { return cellHeight_; }
    int ImageWidth() const { return imageWidth_; }
    int ImageHeight() const { return imageHeight_; }
    const std::vector<std::unique_ptr<MenuIcon>>& Icons() const { return icons_; }
    size_t ItemCount() const { return items_.size(); }
    const ACL_MenuPalette& Palette() const { return palette_; }
    HBITMAP CheckBitmap() const { return checkBitmap_.Get(); }
    BOOL CheckBitmapShared() const { return checkBitmap_.Owned() ? FALSE : TRUE; }
    COLORREF CheckTransparentColor() const { return checkTransparentColor_; }

private:
    void ConvertMenuItems(HMENU menu);
    MenuIcon* IconFor(UINT command) const;
    UniqueFont CreateMenuFont() const;
    void UpdateLayout();

    // Painting helpers (ACL_MenuPaint.cpp).
    void DrawMenuBarItem(const DRAWITEMSTRUCT& draw, const MenuItemData& item) const;
    void DrawSeparator(const DRAWITEMSTRUCT& draw) const;
    void FillIconColumn(HDC dc, const RECT& area) const;
    void DrawTick(HDC dc, const RECT& item) const;
    void DrawIcon(HDC dc, HBITMAP bitmap, COLORREF transparent, int x, int y, bool lifted) const;
    void DrawGreyIcon(HDC dc, const MenuIcon& icon, int x, int y) const;
    void DrawShadow(HDC dc, HBITMAP bitmap, COLORREF transparent, int x, int y) const;

    HINSTANCE instance_ = nullptr;
    HWND owner_ = nullptr;
    UniqueMenu menu_;
    std::vector<std::unique_ptr<MenuItemData>> items_;
    std::vector<std::unique_ptr<MenuIcon>> icons_;
    COLORREF checkTransparentColor_ = 0;
    MaybeOwnedGdiObject<HBITMAP> checkBitmap_{nullptr, true};  // owned unless handed in shared
    int cellWidth_ = 22;
    int cellHeight_ = 20;
    int imageWidth_ = 16;
    int imageHeight_ = 16;
    int imageMarginX_ = 3;
    int imageMarginY_ = 2;
    int textGapX_ = 10;
    int textGapY_ = 2;
    ACL_MenuPalette palette_{};
    COLORREF menuBarColor_ = 0;
    COLORREF shadowColor_ = 0;
    TRIVERTEX gradient_[2] = {};
    BOOL convertTopLevel_ = FALSE;
};

}  // namespace trovelle
