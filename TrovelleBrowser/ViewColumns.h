// The list's columns: the window's own (Name, Size, Size on disk, Share, Type, Date modified),
// then the other column handlers' columns the user chose to see, with their titles, widths and
// alignment (a handler's numbers sort as numbers by what its cells show).
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <set>
#include <string>
#include <vector>

#include "BrowserSettings.h"
#include "FolderContent.h"

namespace trovelle::browser {

enum class ColumnKind { Name, Size, OnDisk, Share, Type, Modified, Handler };

struct ViewColumn {
    ColumnKind kind = ColumnKind::Name;
    size_t handlerColumn = 0;  // for ColumnKind::Handler: index into the offered handler columns
    std::wstring title;
    int format = LVCFMT_LEFT;
    int width = 0;
    std::wstring id;  // lasting name: kept widths, the sort and the chosen columns go by it

    bool operator==(const ViewColumn& other) const {
        return kind == other.kind && handlerColumn == other.handlerColumn &&
               title == other.title && format == other.format && id == other.id;
    }
};

// A handler column's lasting name: its format id and property id.
std::wstring HandlerColumnId(const SHCOLUMNINFO& info);

// The window's own columns, then those of `offered` whose ids are in `shown`; widths from `kept`
// where it has them, else from character counts in the list's font (`averageCharWidth`
// pixels a character).
std::vector<ViewColumn> ColumnsFor(const std::vector<SHCOLUMNINFO>& offered,
                                   const std::set<std::wstring>& shown, const ColumnWidths& kept,
                                   int averageCharWidth);

}  // namespace trovelle::browser
