#include "DetailsTable.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

namespace trovelle::host {
namespace {

constexpr size_t kGap = 2;

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, static_cast<int>(std::size(text)));
    return text;
}

std::wstring Aligned(const std::wstring& text, size_t width, bool right) {
    if (text.size() >= width) return text;
    const std::wstring fill(width - text.size(), L' ');
    return right ? fill + text : text + fill;
}

bool RightAligned(const HostColumn& column) {
    return (column.info.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT;
}

}  // namespace

CellRows FillCells(ColumnSet& set, const std::vector<ListedItem>& items) {
    CellRows rows;
    for (const ListedItem& item : items) {
        std::vector<Cell>& row = rows.emplace_back();
        for (const HostColumn& column : set.columns) {
            row.push_back(AskCell(*set.handlers[column.handler].provider.Get(), column.info,
                                  item.data));
        }
    }
    return rows;
}

std::wstring FormatTable(const ColumnSet& set, const std::vector<ListedItem>& items,
                         const CellRows& cells) {
    size_t nameWidth = 4;
    for (const ListedItem& item : items) nameWidth = std::max(nameWidth, item.name.size());
    std::vector<size_t> widths;
    for (const HostColumn& column : set.columns) {
        widths.push_back(std::max<size_t>(column.info.cChars, ::wcslen(column.info.wszTitle)));
    }

    std::wstring out = Aligned(L"Name", nameWidth, false);
    for (size_t c = 0; c < set.columns.size(); ++c) {
        out += std::wstring(kGap, L' ') +
               Aligned(set.columns[c].info.wszTitle, widths[c], RightAligned(set.columns[c]));
    }
    while (!out.empty() && out.back() == L' ') out.pop_back();
    out += L"\n";
    for (size_t r = 0; r < items.size(); ++r) {
        std::wstring line = Aligned(items[r].name, nameWidth, false);
        for (size_t c = 0; c < set.columns.size(); ++c) {
            line += std::wstring(kGap, L' ') +
                    Aligned(ShownText(cells[r][c]), widths[c], RightAligned(set.columns[c]));
        }
        while (!line.empty() && line.back() == L' ') line.pop_back();
        out += line + L"\n";
    }
    return out;
}

std::wstring FormatTabSeparated(const ColumnSet& set, const std::vector<ListedItem>& items,
                                const CellRows& cells) {
    std::wstring out = L"Name";
    for (const HostColumn& column : set.columns) out += std::wstring(L"\t") + column.info.wszTitle;
    out += L"\n";
    for (size_t r = 0; r < items.size(); ++r) {
        out += items[r].name;
        for (const Cell& cell : cells[r]) {
            out += L"\t";
            if (cell.result == S_OK) {
                out += L"=" + cell.text;
            } else if (cell.result == S_FALSE) {
                out += L"-";
            } else {
                out += L"!" + HresultText(cell.result);
            }
        }
        out += L"\n";
    }
    return out;
}

std::wstring FormatColumnInfo(const ColumnSet& set) {
    std::wstring out;
    for (const HostColumn& column : set.columns) {
        const SHCOLUMNINFO& info = column.info;
        wchar_t numbers[96];
        std::swprintf(numbers, std::size(numbers), L"%lu\t%u\t%d\t%u\t0x%X", info.scid.pid,
                      static_cast<unsigned>(info.vt), info.fmt, info.cChars, info.csFlags);
        out += std::wstring(info.wszTitle) + L"\t" + info.wszDescription + L"\t" +
               GuidText(info.scid.fmtid) + L"\t" + numbers + L"\n";
    }
    for (const HandlerFailure& failure : set.failures) {
        out += L"! handler " + failure.clsid + L" failed with " + HresultText(failure.result) + L"\n";
    }
    return out;
}

}  // namespace trovelle::host
