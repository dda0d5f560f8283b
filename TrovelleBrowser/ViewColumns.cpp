#include "ViewColumns.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

namespace trovelle::browser {
namespace {

// Room for the header's sort arrow and the cell's margins.
constexpr int kPadding = 24;

int Alignment(int handlerFormat) {
    switch (handlerFormat & LVCFMT_JUSTIFYMASK) {
        case LVCFMT_RIGHT: return LVCFMT_RIGHT;
        case LVCFMT_CENTER: return LVCFMT_CENTER;
        default: return LVCFMT_LEFT;
    }
}

}  // namespace

std::wstring HandlerColumnId(const SHCOLUMNINFO& info) {
    wchar_t guid[40] = {};
    ::StringFromGUID2(info.scid.fmtid, guid, static_cast<int>(std::size(guid)));
    return std::wstring(guid) + L"," + std::to_wstring(info.scid.pid);
}

std::vector<ViewColumn> ColumnsFor(const std::vector<SHCOLUMNINFO>& offered,
                                   const std::set<std::wstring>& shown, const ColumnWidths& kept,
                                   int averageCharWidth) {
    std::vector<ViewColumn> columns = {
        {ColumnKind::Name, 0, L"Name", LVCFMT_LEFT, 32 * averageCharWidth, L"Name"},
        {ColumnKind::Size, 0, L"Size", LVCFMT_RIGHT, 12 * averageCharWidth, L"Size"},
        {ColumnKind::OnDisk, 0, L"Size on disk", LVCFMT_RIGHT, 14 * averageCharWidth, L"OnDisk"},
        {ColumnKind::Share, 0, L"Share", LVCFMT_LEFT, 18 * averageCharWidth, L"Share"},
        {ColumnKind::Type, 0, L"Type", LVCFMT_LEFT, 16 * averageCharWidth, L"Type"},
        {ColumnKind::Modified, 0, L"Date modified", LVCFMT_LEFT, 22 * averageCharWidth,
         L"Modified"},
    };
    for (size_t c = 0; c < offered.size(); ++c) {
        const SHCOLUMNINFO& info = offered[c];
        const std::wstring id = HandlerColumnId(info);
        if (shown.count(id) == 0) continue;
        const int titleWidth = static_cast<int>(::wcsnlen(info.wszTitle, MAX_COLUMN_NAME_LEN));
        const int characters = std::max<int>(static_cast<int>(info.cChars), titleWidth);
        columns.push_back({ColumnKind::Handler, c, info.wszTitle, Alignment(info.fmt),
                           characters * averageCharWidth + kPadding, id});
    }
    for (ViewColumn& column : columns) {
        const auto found = kept.find(column.id);
        if (found != kept.end()) column.width = found->second;
    }
    return columns;
}

}  // namespace trovelle::browser
