// One cell of a handler column, asked of the handler the way Details view asks it.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace trovelle::host {

// One cell as the handler answered it.
struct Cell {
    HRESULT result = S_FALSE;
    std::wstring text;  // for S_OK, the value as text
};

// GetItemData for `item` in `column`, the value turned into text.
Cell AskCell(IColumnProvider& handler, const SHCOLUMNINFO& column, const SHCOLUMNDATA& item);

// A cell as people see it: its text, blank for S_FALSE, "<0x...>" for a failed call.
std::wstring ShownText(const Cell& cell);

std::wstring HresultText(HRESULT value);

}  // namespace trovelle::host
