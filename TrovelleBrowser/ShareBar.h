// A share drawn in a cell of the list or a row of the tree: the cell's background as the row's
// selection has it, a framed bar filled to the share, and a text at the right, always inside
// the cell (the bar gives way to the text, the text ends in an ellipsis).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace trovelle::browser {

struct ShareCell {
    RECT bounds = {};
    bool selected = false;
    bool focused = false;           // the control has the focus
    std::optional<double> share;    // 0 to 1; none: no bar
    std::wstring text;
    int textWidth = 0;              // room kept for the text at the right
    int barWidth = 0;               // 0: whatever the text leaves
};

void DrawShareCell(HDC dc, HWND control, const ShareCell& cell);

}  // namespace trovelle::browser
