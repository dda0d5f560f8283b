// ACL_Menu: measuring and painting the owner-drawn items.
#include <algorithm>
#include <cstddef>

#include "ACL_Menu.h"

namespace trovelle {
namespace {

constexpr UINT kMeasureFlags = DT_CALCRECT | DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER;
constexpr UINT kDrawFlags = DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER;
constexpr int kSeparatorHeight = 5;

const MenuItemData* ItemOf(ULONG_PTR data) { return reinterpret_cast<const MenuItemData*>(data); }

bool IsSeparator(const MenuItemData& item) { return (item.menuState & MF_SEPARATOR) != 0; }

void FillSolid(HDC dc, const RECT& area, COLORREF color) {
    const UniqueBrush brush(::CreateSolidBrush(color));
    if (brush) ::FillRect(dc, &area, brush.Get());
}

void Frame(HDC dc, const RECT& area, COLORREF color) {
    const UniqueBrush brush(::CreateSolidBrush(color));
    if (brush) ::FrameRect(dc, &area, brush.Get());
}

void Line(HDC dc, int width, COLORREF color, POINT from, POINT to) {
    const UniquePen pen(::CreatePen(PS_SOLID, width, color));
    if (!pen) return;
    const SelectionScope select(dc, pen.Get());
    ::MoveToEx(dc, from.x, from.y, nullptr);
    ::LineTo(dc, to.x, to.y);
}

void DrawItemText(HDC dc, const MenuItemData& item, RECT area, COLORREF color) {
    ::SetTextColor(dc, color);
    ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, item.text.c_str(), static_cast<int>(item.text.size()), &area, kDrawFlags);
}

// Calls `paint(x, y, color)` for each pixel of `bitmap` that is not the transparent colour.
template <typename Paint>
void ForEachOpaquePixel(HDC reference, HBITMAP bitmap, COLORREF transparent, Paint paint) {
    BITMAP info = {};
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof(info), &info) == 0) return;
    UniqueMemoryDc memory(::CreateCompatibleDC(reference));
    if (!memory) return;
    const SelectionScope select(memory.Get(), bitmap);
    for (int y = 0; y < info.bmHeight; ++y) {
        for (int x = 0; x < info.bmWidth; ++x) {
            const COLORREF color = ::GetPixel(memory.Get(), x, y);
            if (color != transparent) paint(x, y, color);
        }
    }
}

}  // namespace

UniqueFont ACL_Menu::CreateMenuFont() const {
    // The metrics as they were before the padded border was added, which every system accepts.
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        return UniqueFont();
    }
    return UniqueFont(::CreateFontIndirectW(&metrics.lfMenuFont));
}

void ACL_Menu::MeasureItem(MEASUREITEMSTRUCT* measure) {
    if (measure == nullptr || measure->itemData == 0) return;
    const MenuItemData& item = *ItemOf(measure->itemData);
    if (IsSeparator(item) && !item.topLevel) {
        measure->itemWidth = cellWidth_ + 2 * textGapX_ + 1;
        measure->itemHeight = kSeparatorHeight;
        return;
    }
    const UniqueFont font = CreateMenuFont();
    if (!font) return;

    UniqueMemoryDc memory;
    {
        const WindowDc screen(owner_);
        if (screen) memory.Reset(::CreateCompatibleDC(screen.Get()));
    }
    if (!memory) {
        measure->itemWidth = 0;
        measure->itemHeight = 0;
        return;
    }
    const SelectionScope selectFont(memory.Get(), font.Get());
    RECT text = {};
    ::DrawTextW(memory.Get(), item.text.c_str(), static_cast<int>(item.text.size()), &text,
                kMeasureFlags);
    const int width = text.right - text.left;
    const int height = text.bottom - text.top;
    if (item.topLevel) {
        measure->itemWidth = width + 4;
        measure->itemHeight = height + 4;
    } else {
        measure->itemWidth = cellWidth_ + 2 * textGapX_ + width;
        measure->itemHeight = std::max(cellHeight_, 2 * textGapY_ + height);
    }
}

void ACL_Menu::DrawItem(const DRAWITEMSTRUCT* draw) {
    if (draw == nullptr || draw->itemData == 0) return;
    const MenuItemData& item = *ItemOf(draw->itemData);
    if (item.topLevel) return DrawMenuBarItem(*draw, item);
    if (IsSeparator(item)) return DrawSeparator(*draw);

    const HDC dc = draw->hDC;
    const RECT& area = draw->rcItem;
    const bool grayed = (draw->itemState & ODS_GRAYED) != 0;
    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    const bool highlighted = selected && !grayed;

    COLORREF textColor = palette_.text;
    if (highlighted) {
        FillSolid(dc, area, palette_.selectionFill);
        Frame(dc, area, palette_.selectionFrame);
        textColor = palette_.selectedText;
    } else {
        FillSolid(dc, area, palette_.background);
        FillIconColumn(dc, {area.left, area.top, area.left + cellWidth_, area.bottom});
        if (grayed) textColor = palette_.disabledText;
    }

    const int iconX = area.left + imageMarginX_;
    const int iconY = area.top + imageMarginY_;
    if ((draw->itemState & ODS_CHECKED) != 0) {
        if (checkBitmap_.Get() != nullptr) {
            DrawIcon(dc, checkBitmap_.Get(), checkTransparentColor_, iconX, iconY, selected);
        } else {
            DrawTick(dc, area);
        }
    } else if (item.icon != nullptr) {
        if (grayed) {
            DrawGreyIcon(dc, *item.icon, iconX, iconY);
        } else {
            DrawIcon(dc, item.icon->bitmap.Get(), item.icon->transparentColor, iconX, iconY,
                     selected);
        }
    }

    const UniqueFont font = CreateMenuFont();
    const SelectionScope selectFont(dc, font.Get());
    RECT text = area;
    text.left = area.left + cellWidth_ + textGapX_;
    text.top += textGapY_;
    DrawItemText(dc, item, text, textColor);
}

void ACL_Menu::FillIconColumn(HDC dc, const RECT& area) const {
    TRIVERTEX vertices[2] = {gradient_[0], gradient_[1]};
    vertices[0].x = area.left;
    vertices[0].y = area.top;
    vertices[1].x = area.right;
    vertices[1].y = area.bottom;
    GRADIENT_RECT rect = {0, 1};
    ::GradientFill(dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_H);
}

void ACL_Menu::DrawTick(HDC dc, const RECT& item) const {
    Frame(dc, {item.left, item.top, item.left + cellWidth_, item.bottom}, palette_.selectionFrame);
    const int x = item.left + cellWidth_ / 2;
    const int y = item.top + (2 * (item.bottom - item.top)) / 3;
    Line(dc, 2, palette_.checkMark, {x - 3, y - 4}, {x, y});
    Line(dc, 1, palette_.checkMark, {x, y}, {x + 7, y - 9});
}

// A hovered icon is drawn one pixel up and left over its shadow, so it seems to lift.
void ACL_Menu::DrawIcon(HDC dc, HBITMAP bitmap, COLORREF transparent, int x, int y,
                        bool lifted) const {
    const int shift = lifted ? 1 : 0;
    if (lifted) DrawShadow(dc, bitmap, transparent, x + 1, y + 1);
    UniqueMemoryDc memory(::CreateCompatibleDC(dc));
    if (!memory) return;
    const SelectionScope select(memory.Get(), bitmap);
    ::TransparentBlt(dc, x - shift, y - shift, imageWidth_, imageHeight_, memory.Get(), 0, 0,
                     imageWidth_, imageHeight_, transparent);
}

void ACL_Menu::DrawGreyIcon(HDC dc, const MenuIcon& icon, int x, int y) const {
    ForEachOpaquePixel(dc, icon.bitmap.Get(), icon.transparentColor,
                       [&](int px, int py, COLORREF color) {
                           const BYTE grey = static_cast<BYTE>(
                               (77 * GetRValue(color) + 150 * GetGValue(color) +
                                29 * GetBValue(color)) >> 8);
                           ::SetPixel(dc, x + px, y + py, RGB(grey, grey, grey));
                       });
}

void ACL_Menu::DrawShadow(HDC dc, HBITMAP bitmap, COLORREF transparent, int x, int y) const {
    ForEachOpaquePixel(dc, bitmap, transparent, [&](int px, int py, COLORREF) {
        ::SetPixel(dc, x + px, y + py, shadowColor_);
    });
}

void ACL_Menu::DrawSeparator(const DRAWITEMSTRUCT& draw) const {
    const RECT& area = draw.rcItem;
    FillSolid(draw.hDC, area, palette_.background);
    FillIconColumn(draw.hDC, {area.left, area.top, area.left + cellWidth_,
                              area.top + kSeparatorHeight});
    const int y = area.top + (area.bottom - area.top) / 2;
    Line(draw.hDC, 0, palette_.separator, {area.left + cellWidth_ + textGapX_, y},
         {area.right, y});
}

void ACL_Menu::DrawMenuBarItem(const DRAWITEMSTRUCT& draw, const MenuItemData& item) const {
    const HDC dc = draw.hDC;
    const RECT& area = draw.rcItem;
    FillSolid(dc, area, menuBarColor_);
    const RECT inner = {area.left + 1, area.top + 2, area.right - 4, area.bottom};
    const bool grayed = (draw.itemState & ODS_GRAYED) != 0;

    COLORREF textColor = grayed ? palette_.disabledText : palette_.text;
    if ((draw.itemState & ODS_HOTLIGHT) != 0) {
        FillSolid(dc, inner, palette_.selectionFill);
        Frame(dc, inner, palette_.selectionFrame);
        textColor = palette_.selectedText;
    } else if ((draw.itemState & ODS_SELECTED) != 0 && !grayed) {
        FillSolid(dc, {inner.right + 1, area.top + 4, area.right, area.bottom}, shadowColor_);
        FillSolid(dc, inner, palette_.selectionFill);
        Frame(dc, inner, palette_.selectionFrame);
        textColor = palette_.text;
    }
    RECT text = area;
    text.left += 6;
    text.top += 3;
    DrawItemText(dc, item, text, textColor);
}

}  // namespace trovelle
