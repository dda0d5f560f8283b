// The Details table: each handler column with its own title, alignment and width.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ColumnHandlers.h"
#include "FolderItems.h"
#include "ItemCells.h"

namespace trovelle::host {

using CellRows = std::vector<std::vector<Cell>>;  // [item][column]

// Asks every column's handler for every item's cell (GetItemData).
CellRows FillCells(ColumnSet& set, const std::vector<ListedItem>& items);

// A table for people: Name, then the columns at max(width, title) characters, each aligned
// as its handler asked; empty cells are blank, failed calls show their HRESULT.
std::wstring FormatTable(const ColumnSet& set, const std::vector<ListedItem>& items,
                         const CellRows& cells);

// One line per item, tab-separated, for programs: a cell is "=" and its text after S_OK,
// "-" after S_FALSE, "!0x%08X" after a failure.
std::wstring FormatTabSeparated(const ColumnSet& set, const std::vector<ListedItem>& items,
                                const CellRows& cells);

// One line per column: title, description, fmtid, pid, vt, fmt, cChars, csFlags (tab-separated).
std::wstring FormatColumnInfo(const ColumnSet& set);

}  // namespace trovelle::host
