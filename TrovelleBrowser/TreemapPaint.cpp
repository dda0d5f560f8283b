#include "TreemapPaint.h"

#include <algorithm>
#include <string>

#include "GdiScopes.h"

namespace trovelle::browser {
namespace {

constexpr COLORREF kFrame = RGB(48, 48, 48);

uint32_t ToPixel(COLORREF colour) {
    return (uint32_t{GetRValue(colour)} << 16) | (uint32_t{GetGValue(colour)} << 8) |
           GetBValue(colour);
}

// `colour` moved towards `target` by `amount` in [0, 1].
COLORREF Blend(COLORREF colour, COLORREF target, double amount) {
    const auto mix = [amount](BYTE from, BYTE to) {
        return static_cast<BYTE>(from + (to - from) * amount + 0.5);
    };
    return RGB(mix(GetRValue(colour), GetRValue(target)), mix(GetGValue(colour), GetGValue(target)),
               mix(GetBValue(colour), GetBValue(target)));
}

bool IsDark(COLORREF colour) {
    return GetRValue(colour) * 299 + GetGValue(colour) * 587 + GetBValue(colour) * 114 < 128000;
}

class Canvas {
public:
    explicit Canvas(const PixelBuffer& buffer) : buffer_(buffer) {}

    void Fill(RECT rect, COLORREF colour) {
        if (!Clip(rect)) return;
        const uint32_t pixel = ToPixel(colour);
        for (LONG y = rect.top; y < rect.bottom; ++y) {
            std::fill(Row(y) + rect.left, Row(y) + rect.right, pixel);
        }
    }

    void Frame(const RECT& rect, int width, COLORREF colour) {
        Fill({rect.left, rect.top, rect.right, rect.top + width}, colour);
        Fill({rect.left, rect.bottom - width, rect.right, rect.bottom}, colour);
        Fill({rect.left, rect.top, rect.left + width, rect.bottom}, colour);
        Fill({rect.right - width, rect.top, rect.right, rect.bottom}, colour);
    }

    // A cushion-like block: light at the top, darker at the bottom, with a lit top-left edge.
    void Shade(RECT rect, COLORREF colour) {
        const LONG height = rect.bottom - rect.top;
        const COLORREF top = Blend(colour, RGB(255, 255, 255), 0.35);
        const COLORREF bottom = Blend(colour, RGB(0, 0, 0), 0.25);
        const RECT whole = rect;
        if (!Clip(rect)) return;
        for (LONG y = rect.top; y < rect.bottom; ++y) {
            const double along = height > 1 ? double(y - whole.top) / (height - 1) : 0;
            std::fill(Row(y) + rect.left, Row(y) + rect.right, ToPixel(Blend(top, bottom, along)));
        }
        if (height >= 4 && whole.right - whole.left >= 4) {
            const COLORREF edge = Blend(colour, RGB(255, 255, 255), 0.6);
            Fill({whole.left, whole.top, whole.right, whole.top + 1}, edge);
            Fill({whole.left, whole.top, whole.left + 1, whole.bottom}, edge);
        }
    }

private:
    bool Clip(RECT& rect) const {
        const RECT all{0, 0, buffer_.width, buffer_.height};
        return ::IntersectRect(&rect, &rect, &all) != FALSE;
    }
    uint32_t* Row(LONG y) const { return buffer_.pixels + size_t(y) * buffer_.width; }

    const PixelBuffer& buffer_;
};

std::wstring LabelOf(const SceneBlock& block) {
    return block.item != nullptr ? block.item->name : SmallerItemsText(block.groupedCount);
}

// Where the block's name goes: its header strip, the whole of a block without children drawn,
// or nowhere.
bool LabelArea(const SceneBlock& block, const PaintMetrics& metrics, RECT& area) {
    area = block.rect;
    ::InflateRect(&area, -(metrics.frame + 2), -metrics.frame);
    if (block.header) {
        area.top = block.rect.top + metrics.inset;
        area.bottom = area.top + metrics.lineHeight + 2;
    } else if (block.container) {
        return false;
    }
    return area.bottom - area.top >= metrics.lineHeight && area.right - area.left > 0;
}

// A file's name is shown whole or not at all (a block of cut names reads as noise); a folder's
// strip is wide, and a cut name there still says which folder it is.
bool LabelFits(HDC dc, const SceneBlock& block, const std::wstring& label, const RECT& area,
               const PaintMetrics& metrics) {
    const LONG width = area.right - area.left;
    if (block.header && width >= 6 * metrics.charWidth) return true;
    SIZE extent = {};
    ::GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &extent);
    return extent.cx <= width;
}

void DrawLabels(HDC dc, const TreemapScene& scene, const SceneColours& colours,
                const PaintMetrics& metrics) {
    for (size_t index = 0; index < scene.Blocks().size(); ++index) {
        const SceneBlock& block = scene.Blocks()[index];
        RECT area;
        if (!LabelArea(block, metrics, area)) continue;
        const std::wstring label = LabelOf(block);
        if (!LabelFits(dc, block, label, area, metrics)) continue;
        const COLORREF text = metrics.highContrast           ? ::GetSysColor(COLOR_WINDOWTEXT)
                              : IsDark(colours.fills[index]) ? RGB(255, 255, 255)
                                                             : RGB(0, 0, 0);
        ::SetTextColor(dc, text);
        ::DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &area,
                    DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX | DT_LEFT | DT_TOP);
    }
}

// "By folder:" or "By type:", then a swatch and a name for each colour, as many as fit.
void DrawLegend(const PixelBuffer& buffer, const RECT& legend, const SceneColours& colours,
                TreemapColouring colouring, const PaintMetrics& metrics) {
    ::GdiFlush();  // the pixels are written only after GDI's own drawing is done
    Canvas canvas(buffer);
    canvas.Fill(legend, ::GetSysColor(COLOR_BTNFACE));
    ::SetTextColor(buffer.dc, ::GetSysColor(COLOR_BTNTEXT));
    RECT text = legend;
    text.left += metrics.padding;
    const auto drawText = [&](const std::wstring& words) {
        RECT measured = text;
        ::DrawTextW(buffer.dc, words.c_str(), -1, &measured,
                    DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_CALCRECT);
        ::DrawTextW(buffer.dc, words.c_str(), -1, &text, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
        text.left = measured.right + 2 * metrics.charWidth;
    };
    drawText(colouring == TreemapColouring::ByTopLevel ? L"By folder:" : L"By type:");

    const int swatch = std::max(4, metrics.lineHeight - 4);
    for (const LegendEntry& entry : colours.legend) {
        SIZE extent = {};
        ::GetTextExtentPoint32W(buffer.dc, entry.text.c_str(), static_cast<int>(entry.text.size()),
                                &extent);
        if (text.left + swatch + metrics.charWidth + extent.cx > legend.right - metrics.padding) {
            drawText(L"\u2026");
            return;
        }
        ::GdiFlush();
        const LONG top = (legend.top + legend.bottom - swatch) / 2;
        const RECT box{text.left, top, text.left + swatch, top + swatch};
        if (metrics.highContrast) {
            canvas.Fill(box, ::GetSysColor(COLOR_WINDOW));
        } else {
            canvas.Shade(box, entry.colour);
        }
        canvas.Frame(box, metrics.frame, ::GetSysColor(COLOR_BTNTEXT));
        text.left += swatch + metrics.charWidth / 2 + 1;
        drawText(entry.text);
    }
}

}  // namespace

std::wstring SmallerItemsText(size_t count) {
    return std::to_wstring(count) + (count == 1 ? L" smaller item" : L" smaller items");
}

void PaintTreemap(const PixelBuffer& buffer, const RECT& map, const RECT& legend,
                  const TreemapScene& scene, const SceneColours& colours,
                  TreemapColouring colouring, const PaintMetrics& metrics) {
    Canvas canvas(buffer);
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    canvas.Fill(map, metrics.highContrast ? window : kFrame);
    for (size_t index = 0; index < scene.Blocks().size(); ++index) {
        const SceneBlock& block = scene.Blocks()[index];
        RECT inner = block.rect;
        ::InflateRect(&inner, -metrics.frame, -metrics.frame);
        if (metrics.highContrast) {
            canvas.Fill(inner, window);
            canvas.Frame(block.rect, metrics.frame,
                         ::GetSysColor(block.container ? COLOR_HIGHLIGHT : COLOR_WINDOWTEXT));
        } else {
            canvas.Frame(block.rect, metrics.frame, kFrame);
            canvas.Shade(inner, colours.fills[index]);
        }
    }
    ::GdiFlush();  // the pixels are written; GDI text goes on top

    SelectionScope font(buffer.dc, metrics.font);
    ::SetBkMode(buffer.dc, TRANSPARENT);
    DrawLabels(buffer.dc, scene, colours, metrics);
    DrawLegend(buffer, legend, colours, colouring, metrics);
}

void PaintNothingToShow(const PixelBuffer& buffer, const PaintMetrics& metrics) {
    RECT all{0, 0, buffer.width, buffer.height};
    Canvas(buffer).Fill(all, ::GetSysColor(COLOR_WINDOW));
    ::GdiFlush();
    SelectionScope font(buffer.dc, metrics.font);
    ::SetBkMode(buffer.dc, TRANSPARENT);
    ::SetTextColor(buffer.dc, ::GetSysColor(COLOR_GRAYTEXT));
    ::DrawTextW(buffer.dc, L"Nothing to show", -1, &all,
                DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
}

}  // namespace trovelle::browser
