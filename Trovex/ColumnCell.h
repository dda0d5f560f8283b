// The text of one cell of the handler's columns, or none when the cell stays empty.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ColumnSettings.h"
#include "ItemSize.h"
#include "text/SizePadding.h"

namespace trovelle {

struct CellItem {
    std::wstring path;
    bool isFolder = false;
};

std::optional<std::wstring> CellText(DWORD pid, const CellItem& item,
                                     const ColumnSettings& settings, WindowsVersion version,
                                     CellSources& sources);

}  // namespace trovelle
