// The list's columns: Explorer's own (Name, Size of files, Type, Date modified), then every
// column of every registered column handler, in their order, with their titles, widths and
// alignment (a handler's numbers sort as numbers by what its cells show).
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "BrowserSettings.h"
#include "FolderContent.h"

namespace trovelle::browser {

enum class ColumnKind { Name, Size, Type, Modified, Handler };

struct ViewColumn {
    ColumnKind kind = ColumnKind::Name;
    size_t handlerColumn = 0;  // for ColumnKind::Handler: index into the listing's columns
    std::wstring title;
    int format = LVCFMT_LEFT;
    int width = 0;
    std::wstring id;  // lasting name: kept widths and the sort are found by it

    bool operator==(const ViewColumn& other) const {
        return kind == other.kind && handlerColumn == other.handlerColumn &&
               title == other.title && format == other.format && id == other.id;
    }
};

// The columns for a listing; widths from `kept` where it has them, else from the handlers'
// character counts in the list's font (`averageCharWidth` pixels a character).
std::vector<ViewColumn> ColumnsFor(const Listing& listing, const ColumnWidths& kept,
                                   int averageCharWidth);

}  // namespace trovelle::browser
