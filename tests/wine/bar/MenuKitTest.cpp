// ACL_Menu against the toolbar library's own resources: sizes, icon tiles, loading rules,
// the check picture, painting, and GDI objects given back.
#include <gtest/gtest.h>

#include <cstddef>

#include "ACL_Menu.h"
#include "BarTestSupport.h"

namespace trovelle::test {
namespace {

constexpr UINT kSettingsMenu = 201, kCheckPicture = 203, kIconStrip = 204, kIconList = 205;
constexpr COLORREF kMagenta = RGB(255, 0, 255);

class MenuKit : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = ::LoadLibraryW(kBarModule);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override { ::FreeLibrary(module_); }

    HMENU Popup(const ACL_Menu& menu) const { return ::GetSubMenu(menu.GetMenu(), 0); }

    // What MeasureItem answers for the item at `position` of `menu`.
    static SIZE Measure(ACL_Menu& kit, HMENU menu, int position) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_DATA | MIIM_FTYPE;
        EXPECT_TRUE(::GetMenuItemInfoW(menu, position, TRUE, &info));
        EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
        MEASUREITEMSTRUCT measure = {};
        measure.CtlType = ODT_MENU;
        measure.itemData = info.dwItemData;
        kit.MeasureItem(&measure);
        return {static_cast<LONG>(measure.itemWidth), static_cast<LONG>(measure.itemHeight)};
    }

    // The text size of `text` in the menu font, measured here on our own.
    static SIZE TextSize(const wchar_t* text) {
        NONCLIENTMETRICSW metrics = {};
        metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
        ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
        const HFONT font = ::CreateFontIndirectW(&metrics.lfMenuFont);
        const HDC dc = ::CreateCompatibleDC(nullptr);
        const HGDIOBJ old = ::SelectObject(dc, font);
        RECT area = {};
        ::DrawTextW(dc, text, -1, &area, DT_CALCRECT | DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER);
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
        ::DeleteObject(font);
        return {area.right - area.left, area.bottom - area.top};
    }

    HMODULE module_ = nullptr;
    TestWindow owner_;
};

TEST_F(MenuKit, MeasuredSizesWithDefaultsAndSmallIcons) {
    {
        ACL_Menu kit;
        EXPECT_EQ(kit.CellWidth(), 22);
        EXPECT_EQ(kit.CellHeight(), 20);
        ASSERT_EQ(kit.Load(module_, kSettingsMenu, 0, 0, owner_.Handle(), FALSE), 0u);
        const HMENU popup = Popup(kit);
        ASSERT_NE(popup, nullptr);
        const SIZE text = TextSize(L"&GBytes");
        const SIZE gbytes = Measure(kit, popup, 2);
        EXPECT_EQ(gbytes.cx, 22 + 2 * 10 + text.cx);
        EXPECT_EQ(gbytes.cy, std::max<LONG>(20, 4 + text.cy));
        const SIZE separator = Measure(kit, popup, 6);
        EXPECT_EQ(separator.cx, 43);
        EXPECT_EQ(separator.cy, 5);
    }
    ACL_Menu kit;
    kit.SetImageSize(14, 14, -2, -2);
    EXPECT_EQ(kit.CellWidth(), 20);
    EXPECT_EQ(kit.CellHeight(), 18);
    ASSERT_EQ(kit.Load(module_, kSettingsMenu, 0, 0, owner_.Handle(), FALSE), 0u);
    const SIZE text = TextSize(L"&Files and Folders");
    const SIZE item = Measure(kit, Popup(kit), 8);
    EXPECT_EQ(item.cx, 20 + 20 + text.cx);
    EXPECT_EQ(item.cy, std::max<LONG>(18, 4 + text.cy));
    EXPECT_EQ(Measure(kit, Popup(kit), 6).cx, 41);
}

TEST_F(MenuKit, SubmenuWithEightItemsIsNoSeparator) {
    // An item opening a submenu reports the submenu's size in the high byte of its state; eight
    // items there would read as the separator bit.
    ACL_Menu kit;
    ASSERT_EQ(kit.Load(module_, kSettingsMenu, 0, 0, owner_.Handle(), FALSE), 0u);
    const HMENU outer = ::CreatePopupMenu();
    const HMENU inner = ::CreatePopupMenu();
    for (UINT id = 1; id <= 8; ++id) ::AppendMenuW(inner, MF_STRING, id, L"entry");
    ::AppendMenuW(outer, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), L"Eight");
    kit.ConvertMenu(outer);
    EXPECT_GT(Measure(kit, outer, 0).cy, 5);
    ::DestroyMenu(outer);
}

TEST_F(MenuKit, StripIsCutIntoTilesForTheListedCommands) {
    ACL_Menu kit;
    kit.SetImageSize(-1, -1, -2, -2);  // sizes from the strip
    ASSERT_EQ(kit.Load(module_, kSettingsMenu, kIconList, kIconStrip, owner_.Handle(), FALSE), 0u);
    EXPECT_EQ(kit.ImageWidth(), 14);
    EXPECT_EQ(kit.ImageHeight(), 14);
    EXPECT_EQ(kit.CellWidth(), 20);
    ASSERT_EQ(kit.Icons().size(), 2u);
    EXPECT_EQ(kit.Icons()[0]->command, kResetCache);
    EXPECT_EQ(kit.Icons()[1]->command, kProperties);

    const HBITMAP strip = ::LoadBitmapW(module_, MAKEINTRESOURCEW(kIconStrip));
    const HDC stripDc = ::CreateCompatibleDC(nullptr);
    const HDC tileDc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ oldStrip = ::SelectObject(stripDc, strip);
    for (size_t tile = 0; tile < 2; ++tile) {
        const MenuIcon& icon = *kit.Icons()[tile];
        BITMAP info = {};
        ASSERT_NE(::GetObjectW(icon.bitmap.Get(), sizeof(info), &info), 0);
        EXPECT_EQ(info.bmWidth, 14);
        EXPECT_EQ(info.bmHeight, 14);
        EXPECT_EQ(icon.transparentColor, kMagenta);
        const HGDIOBJ oldTile = ::SelectObject(tileDc, icon.bitmap.Get());
        int differences = 0, opaque = 0;
        for (int y = 0; y < 14; ++y) {
            for (int x = 0; x < 14; ++x) {
                const COLORREF pixel = ::GetPixel(tileDc, x, y);
                if (pixel != ::GetPixel(stripDc, static_cast<int>(tile) * 14 + x, y)) ++differences;
                if (pixel != kMagenta) ++opaque;
            }
        }
        EXPECT_EQ(differences, 0) << "tile " << tile;
        EXPECT_GT(opaque, 20) << "tile " << tile << " holds a picture";
        ::SelectObject(tileDc, oldTile);
    }
    ::SelectObject(stripDc, oldStrip);
    ::DeleteDC(stripDc);
    ::DeleteDC(tileDc);
    ::DeleteObject(strip);
}

TEST_F(MenuKit, LoadingRules) {
    ACL_Menu kit;
    ASSERT_EQ(kit.Load(module_, kSettingsMenu, kIconList, kIconStrip, owner_.Handle(), FALSE), 0u);
    const HMENU first = kit.GetMenu();
    const size_t items = kit.ItemCount();
    EXPECT_EQ(items, 30u) << "every item of the settings menu and its submenus, not the bar";
    EXPECT_EQ(kit.Load(module_, kIconList, 0, 0, owner_.Handle(), TRUE), 183u);
    EXPECT_EQ(kit.GetMenu(), first);
    EXPECT_EQ(kit.ItemCount(), items);
    // The top-level item stays an ordinary item unless asked for.
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    ASSERT_TRUE(::GetMenuItemInfoW(first, 0, TRUE, &info));
    EXPECT_FALSE(info.fType & MFT_OWNERDRAW);

    ACL_Menu missing;
    EXPECT_NE(missing.Load(module_, 999, 0, 0, owner_.Handle(), FALSE), 0u);
    EXPECT_EQ(missing.GetMenu(), nullptr);

    // A missing strip leaves the menu without icons; the menu itself loads.
    ACL_Menu noIcons;
    EXPECT_EQ(noIcons.Load(module_, kSettingsMenu, kIconList, 998, owner_.Handle(), FALSE), 0u);
    EXPECT_TRUE(noIcons.Icons().empty());
    EXPECT_NE(noIcons.GetMenu(), nullptr);

    ACL_Menu bar;
    ASSERT_EQ(bar.Load(module_, kSettingsMenu, 0, 0, owner_.Handle(), TRUE), 0u);
    EXPECT_EQ(bar.ItemCount(), 31u);
}

TEST_F(MenuKit, CheckPictureSharingAndCorner) {
    ACL_Menu kit;
    ASSERT_EQ(kit.Load(module_, kSettingsMenu, 0, 0, owner_.Handle(), FALSE), 0u);
    const HBITMAP shared = ::LoadBitmapW(module_, MAKEINTRESOURCEW(kCheckPicture));
    ASSERT_EQ(kit.SetCheckBitmap(shared, TRUE), 0u);
    EXPECT_EQ(kit.CheckBitmap(), shared);
    EXPECT_EQ(kit.CheckTransparentColor(), kMagenta);

    EXPECT_EQ(kit.SetCheckBitmap(reinterpret_cast<HBITMAP>(-1), FALSE), 0u);
    EXPECT_EQ(kit.CheckBitmap(), shared) << "(HBITMAP)-1 keeps the picture";
    EXPECT_FALSE(kit.CheckBitmapShared());
    EXPECT_EQ(kit.SetCheckBitmap(reinterpret_cast<HBITMAP>(-1), TRUE), 0u);
    EXPECT_TRUE(kit.CheckBitmapShared());

    // Shared: replacing it leaves it alive for its owner.
    EXPECT_EQ(kit.SetCheckBitmap(nullptr, FALSE), 0u);
    EXPECT_NE(::GetObjectType(shared), 0u);
    // Owned: handing the same picture again must not delete what is being stored.
    EXPECT_EQ(kit.SetCheckBitmap(shared, FALSE), 0u);
    EXPECT_EQ(kit.SetCheckBitmap(shared, FALSE), 0u);
    EXPECT_NE(::GetObjectType(shared), 0u);
}

// Paints one item of the settings popup into a bitmap and hands back the device context.
class Canvas {
public:
    Canvas(int width, int height) : dc_(::CreateCompatibleDC(nullptr)) {
        const HDC screen = ::GetDC(nullptr);
        bitmap_ = ::CreateCompatibleBitmap(screen, width, height);
        ::ReleaseDC(nullptr, screen);
        old_ = ::SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    COLORREF At(int x, int y) const { return ::GetPixel(dc_, x, y); }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

void Paint(ACL_Menu& kit, HMENU menu, int position, UINT state, const Canvas& canvas) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA | MIIM_ID;
    ASSERT_TRUE(::GetMenuItemInfoW(menu, position, TRUE, &info));
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    draw.itemID = info.wID;
    draw.itemState = state;
    draw.hDC = canvas.Dc();
    draw.rcItem = {0, 0, 160, 20};
    draw.itemData = info.dwItemData;
    kit.DrawItem(&draw);
}

TEST_F(MenuKit, PaintingStates) {
    ACL_Menu kit;
    kit.SetImageSize(14, 14, -2, -2);
    ASSERT_EQ(kit.Load(module_, kSettingsMenu, kIconList, kIconStrip, owner_.Handle(), FALSE), 0u);
    kit.SetColors(ProductMenuPalette());
    const ACL_MenuPalette& colors = kit.Palette();
    const HMENU popup = Popup(kit);
    const int properties = PositionOf(popup, kProperties);
    ASSERT_GE(properties, 0);

    {  // normal: background, gradient from its start colour at the left edge
        Canvas canvas(160, 20);
        Paint(kit, popup, 2, 0, canvas);
        EXPECT_EQ(canvas.At(0, 10), colors.gradientStart);
        EXPECT_EQ(canvas.At(150, 1), colors.background);
    }
    {  // hovered: filled and framed
        Canvas canvas(160, 20);
        Paint(kit, popup, 2, ODS_SELECTED, canvas);
        EXPECT_EQ(canvas.At(0, 0), colors.selectionFrame);
        EXPECT_EQ(canvas.At(159, 19), colors.selectionFrame);
        EXPECT_EQ(canvas.At(150, 2), colors.selectionFill);
    }
    {  // disabled and hovered: no highlight at all
        Canvas canvas(160, 20);
        Paint(kit, popup, 0, ODS_SELECTED | ODS_GRAYED, canvas);
        EXPECT_EQ(canvas.At(0, 0), colors.gradientStart);
        EXPECT_EQ(canvas.At(150, 1), colors.background);
    }
    {  // checked without a picture: the icon cell is framed, a tick is drawn
        Canvas canvas(160, 20);
        Paint(kit, popup, 4, ODS_CHECKED, canvas);
        EXPECT_EQ(canvas.At(0, 0), colors.selectionFrame);
        EXPECT_EQ(canvas.At(19, 19), colors.selectionFrame);
        EXPECT_EQ(canvas.At(10, 13), colors.checkMark) << "the tick's corner";
    }
    {  // an icon, drawn with its transparent corner left out
        Canvas canvas(160, 20);
        Paint(kit, popup, properties, 0, canvas);
        int iconPixels = 0;
        for (int y = 2; y < 16; ++y) {
            for (int x = 3; x < 17; ++x) {
                if (canvas.At(x, y) == kMagenta) ADD_FAILURE() << "transparent colour drawn";
                iconPixels += canvas.At(x, y) != canvas.At(x, 0) ? 1 : 0;
            }
        }
        EXPECT_GT(iconPixels, 20);
    }
    {  // a disabled icon is grey
        Canvas canvas(160, 20);
        Paint(kit, popup, properties, ODS_GRAYED, canvas);
        int grey = 0;
        for (int y = 2; y < 16; ++y) {
            for (int x = 3; x < 17; ++x) {
                const COLORREF pixel = canvas.At(x, y);
                if (GetRValue(pixel) == GetGValue(pixel) && GetGValue(pixel) == GetBValue(pixel)) {
                    ++grey;
                }
            }
        }
        EXPECT_GT(grey, 20);
    }
    {  // separator: a line across the middle right of the icon column
        Canvas canvas(160, 20);
        Paint(kit, popup, 6, 0, canvas);
        EXPECT_EQ(canvas.At(100, 10), colors.separator);
        EXPECT_EQ(canvas.At(100, 3), colors.background);
    }
}

int GdiObjects() { return static_cast<int>(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)); }

TEST_F(MenuKit, EveryGdiObjectIsGivenBack) {
    std::vector<HBITMAP> icons;
    HBITMAP check = nullptr;
    const int before = GdiObjects();
    {
        ACL_Menu kit;
        kit.SetImageSize(14, 14, -2, -2);
        ASSERT_EQ(kit.Load(module_, kSettingsMenu, kIconList, kIconStrip, owner_.Handle(), FALSE),
                  0u);
        check = ::LoadBitmapW(module_, MAKEINTRESOURCEW(kCheckPicture));
        kit.SetCheckBitmap(check, FALSE);
        for (const auto& icon : kit.Icons()) icons.push_back(icon->bitmap.Get());
        Canvas canvas(160, 20);
        for (UINT state : {0u, static_cast<UINT>(ODS_SELECTED), static_cast<UINT>(ODS_CHECKED),
                           static_cast<UINT>(ODS_CHECKED | ODS_SELECTED),
                           static_cast<UINT>(ODS_GRAYED)}) {
            for (int position = 0; position < ::GetMenuItemCount(Popup(kit)); ++position) {
                Paint(kit, Popup(kit), position, state, canvas);
                Measure(kit, Popup(kit), position);
            }
        }
    }
    ASSERT_EQ(icons.size(), 2u);
    for (HBITMAP icon : icons) EXPECT_EQ(::GetObjectType(icon), 0u) << "icon bitmap left behind";
    EXPECT_EQ(::GetObjectType(check), 0u) << "owned check picture left behind";
    // Where the system keeps no count (Wine answers 0), the handle checks above are the test.
    if (before > 0) {
        EXPECT_EQ(GdiObjects(), before);
    }
}

}  // namespace
}  // namespace trovelle::test
