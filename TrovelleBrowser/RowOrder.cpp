#include "RowOrder.h"

#include <shlwapi.h>

#include <algorithm>
#include <variant>

#include "WideText.h"
#include "text/CellNumber.h"
#include "view/NaturalOrder.h"

namespace trovelle::browser {
namespace {

// What a row is sorted by in one column: nothing yet, a number or a text.
using SortValue = std::variant<std::monostate, uint64_t, std::wstring>;

int Compare(uint64_t a, uint64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

int CompareNames(const BrowserItem& a, const BrowserItem& b) {
    const int natural = CompareNaturally(a.sortKey, b.sortKey);
    return natural != 0 ? natural : a.name.compare(b.name);
}

int CompareNames(const Row& a, const Row& b) { return CompareNames(a.item, b.item); }

// Folders first when ascending, each by name.
bool NameOrder(const BrowserItem& a, const BrowserItem& b, bool ascending) {
    if (a.IsFolder() != b.IsFolder()) return a.IsFolder() == ascending;
    return (ascending ? 1 : -1) * CompareNames(a, b) < 0;
}

uint64_t TimeValue(const FILETIME& time) {
    return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

SortValue SizeValue(const Row& row, ColumnKind kind) {
    if (row.sizes.state != SizeState::Known) return {};
    return kind == ColumnKind::OnDisk ? row.sizes.totals.onDisk : row.sizes.totals.bytes;
}

SortValue HandlerValue(const Row& row, size_t column) {
    if (!row.measured || column >= row.cells.size()) return {};
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
    return column.kind != ColumnKind::Name && column.kind != ColumnKind::Type;
}

void SortRows(std::vector<size_t>& order, const std::vector<Row>& rows, const ViewColumn& column,
              bool ascending) {
    const int direction = ascending ? 1 : -1;
    auto less = [&](size_t left, size_t right) {
        const Row& a = rows[left];
        const Row& b = rows[right];
        int result = 0;
        switch (column.kind) {
            case ColumnKind::Name:
                return NameOrder(a.item, b.item, ascending);
            case ColumnKind::Size:
            case ColumnKind::OnDisk:
            case ColumnKind::Share:
            case ColumnKind::Handler: {
                const SortValue valueA = column.kind == ColumnKind::Handler
                                             ? HandlerValue(a, column.handlerColumn)
                                             : SizeValue(a, column.kind);
                const SortValue valueB = column.kind == ColumnKind::Handler
                                             ? HandlerValue(b, column.handlerColumn)
                                             : SizeValue(b, column.kind);
                const bool missingA = std::holds_alternative<std::monostate>(valueA);
                const bool missingB = std::holds_alternative<std::monostate>(valueB);
                if (missingA != missingB) return missingB;
                result = CompareValues(valueA, valueB);
                break;
            }
            case ColumnKind::Type:
                result = ::StrCmpLogicalW(a.item.typeText.c_str(), b.item.typeText.c_str());
                break;
            case ColumnKind::Modified:
                result = Compare(TimeValue(a.item.lastWrite), TimeValue(b.item.lastWrite));
                break;
        }
        if (result != 0) return direction * result < 0;
        return CompareNames(a, b) < 0;
    };
    // Rows that come in order already (a listing sorted by name) take one pass.
    if (!std::is_sorted(order.begin(), order.end(), less)) {
        std::stable_sort(order.begin(), order.end(), less);
    }
}

void SortByName(std::vector<BrowserItem>& items) {
    std::sort(items.begin(), items.end(),
              [](const BrowserItem& a, const BrowserItem& b) { return NameOrder(a, b, true); });
}

}  // namespace trovelle::browser
