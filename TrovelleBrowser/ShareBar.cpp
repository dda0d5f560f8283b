#include "ShareBar.h"

#include <algorithm>

#include "DisplayScale.h"
#include "GdiScopes.h"

namespace trovelle::browser {

void DrawShareCell(HDC dc, HWND control, const ShareCell& cell) {
    // The control's own font: a custom draw's context may hold another (a tree's bold one).
    const SelectionScope font(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    const int background = cell.selected ? (cell.focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE) : COLOR_WINDOW;
    ::FillRect(dc, &cell.bounds, ::GetSysColorBrush(background));
    const int margin = ScaleForWindow(control, 4);
    RECT textRect = cell.bounds;
    textRect.right -= margin;
    textRect.left = std::max(cell.bounds.left + margin, textRect.right - cell.textWidth);
    RECT bar = {cell.bounds.left + margin, cell.bounds.top + 3, textRect.left - margin,
                cell.bounds.bottom - 3};
    if (cell.barWidth > 0) bar.right = std::min<LONG>(bar.right, bar.left + cell.barWidth);
    if (cell.share && bar.right - bar.left >= 2 * margin && bar.bottom - bar.top >= 3) {
        ::FrameRect(dc, &bar, ::GetSysColorBrush(COLOR_BTNSHADOW));
        ::InflateRect(&bar, -1, -1);
        const double share = std::clamp(*cell.share, 0.0, 1.0);
        bar.right = bar.left + static_cast<LONG>((bar.right - bar.left) * share + 0.5);
        if (bar.right > bar.left) {
            const UniqueBrush fill(::CreateSolidBrush(
                HighContrastOn() ? ::GetSysColor(COLOR_HIGHLIGHT) : RGB(70, 130, 200)));
            ::FillRect(dc, &bar, fill.Get());
        }
    }
    const int textColour = cell.selected && cell.focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT;
    const COLORREF oldColour = ::SetTextColor(dc, ::GetSysColor(textColour));
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, cell.text.c_str(), static_cast<int>(cell.text.size()), &textRect,
                DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    ::SetBkMode(dc, oldMode);
    ::SetTextColor(dc, oldColour);
}

}  // namespace trovelle::browser
