#include "RowOrder.h"

#include <shlwapi.h>

#include <algorithm>
#include <variant>

#include "WideText.h"
#include "text/CellNumber.h"

namespace trovelle::browser {
namespace {

// What a row is sorted by in one column: nothing yet, a number or a text.
using SortValue = std::variant<std::monostate, uint64_t, std::wstring>;

int Compare(uint64_t a, uint64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

int CompareNames(const Row& a, const Row& b) {
    const int logical = ::StrCmpLogicalW(a.item.name.c_str(), b.item.name.c_str());
    return logical != 0 ? logical : a.item.name.compare(b.item.name);
}

uint64_t TimeValue(const FILETIME& time) {
    return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

SortValue HandlerValue(const Row& row, size_t column, const SizeColumns& sizeColumns) {
    if (!row.measured || column >= row.cells.size()) return {};
    // The product's size text sorts by the byte count its sort column holds.
    if (column == sizeColumns.sizeText && sizeColumns.byteCount &&
        *sizeColumns.byteCount < row.cells.size()) {
        column = *sizeColumns.byteCount;
    }
    const host::Cell& cell = row.cells[column];
    if (cell.result != S_OK) return {};
    if (const auto number = WholeNumberInCell(ToCore(cell.text))) return *number;
    return cell.text;
}

int CompareValues(const SortValue& a, const SortValue& b) {
    if (a.index() != b.index()) return a.index() < b.index() ? -1 : 1;  // numbers before texts
    if (const auto* number = std::get_if<uint64_t>(&a)) return Compare(*number, std::get<uint64_t>(b));
    if (const auto* text = std::get_if<std::wstring>(&a)) {
        return ::StrCmpLogicalW(text->c_str(), std::get<std::wstring>(b).c_str());
    }
    return 0;
}

}  // namespace

bool SortsDescendingFirst(const ViewColumn& column) {
    return column.kind == ColumnKind::Size || column.kind == ColumnKind::Modified ||
           column.kind == ColumnKind::Handler;
}

void SortRows(std::vector<size_t>& order, const std::vector<Row>& rows, const ViewColumn& column,
              bool ascending, const SizeColumns& sizeColumns) {
    const int direction = ascending ? 1 : -1;
    auto less = [&](size_t left, size_t right) {
        const Row& a = rows[left];
        const Row& b = rows[right];
        int result = 0;
        switch (column.kind) {
            case ColumnKind::Name:
                if (a.item.IsFolder() != b.item.IsFolder()) return (a.item.IsFolder() == ascending);
                return direction * CompareNames(a, b) < 0;
            case ColumnKind::Size:
                // Folders have no size of their own here: they sort as the smallest.
                result = Compare(!a.item.IsFolder(), !b.item.IsFolder());
                if (result == 0) result = Compare(a.item.size, b.item.size);
                break;
            case ColumnKind::Type:
                result = ::StrCmpLogicalW(a.item.typeText.c_str(), b.item.typeText.c_str());
                break;
            case ColumnKind::Modified:
                result = Compare(TimeValue(a.item.lastWrite), TimeValue(b.item.lastWrite));
                break;
            case ColumnKind::Handler: {
                const SortValue valueA = HandlerValue(a, column.handlerColumn, sizeColumns);
                const SortValue valueB = HandlerValue(b, column.handlerColumn, sizeColumns);
                const bool missingA = std::holds_alternative<std::monostate>(valueA);
                const bool missingB = std::holds_alternative<std::monostate>(valueB);
                if (missingA != missingB) return missingB;
                result = CompareValues(valueA, valueB);
                break;
            }
        }
        if (result != 0) return direction * result < 0;
        return CompareNames(a, b) < 0;
    };
    std::stable_sort(order.begin(), order.end(), less);
}

}  // namespace trovelle::browser
