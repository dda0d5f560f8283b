#include "FolderView.h"

#include <algorithm>
#include <map>

#include "GdiScopes.h"

namespace trovelle::browser {
namespace {

constexpr wchar_t kNotYetMeasured[] = L"\u2026";

bool Hidden(const BrowserItem& item) {
    return (item.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0 &&
           item.path.size() > 3;  // a drive's root is never left out
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// Whether what the listing says of an item moved since it was measured.
bool ItemMoved(const BrowserItem& before, const BrowserItem& now) {
    return before.size != now.size || before.attributes != now.attributes ||
           !SameTime(before.lastWrite, now.lastWrite);
}

void SetItemState(HWND list, int position, UINT state, UINT mask) {
    LVITEMW item = {};
    item.stateMask = mask;
    item.state = state;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(position),
                   reinterpret_cast<LPARAM>(&item));
}

void CopyText(const std::wstring& text, NMLVDISPINFOW& info) {
    if (info.item.pszText == nullptr || info.item.cchTextMax <= 0) return;
    const size_t length = std::min<size_t>(text.size(), info.item.cchTextMax - 1);
    std::wmemcpy(info.item.pszText, text.data(), length);
    info.item.pszText[length] = L'\0';
}

}  // namespace

bool FolderView::Create(HWND parent, HINSTANCE instance, int id) {
    list_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr,
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT |
                                  LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                              0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              instance, nullptr);
    if (list_ == nullptr) return false;
    ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                   LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_HEADERDRAGDROP);
    return true;
}

int FolderView::AverageCharWidth() const {
    WindowDc dc(list_);
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(list_, WM_GETFONT, 0, 0));
    const SelectionScope selected(dc.Get(), font);
    TEXTMETRICW metrics = {};
    if (!dc || !::GetTextMetricsW(dc.Get(), &metrics) || metrics.tmAveCharWidth <= 0) return 7;
    return metrics.tmAveCharWidth;
}

std::vector<FillItem> FolderView::Show(Listing listing, bool refresh, const RefreshScope& scope) {
    KeepColumnWidths();
    const ViewState state = refresh ? CaptureView() : ViewState{};
    const std::vector<ViewColumn> before = columns_;
    SetColumns(ColumnsFor(listing, widths_, AverageCharWidth()));
    // Cells carried over must belong to the same columns.
    const bool sameColumns = before == columns_;
    sizeColumns_ = listing.sizeColumns;

    std::map<std::wstring, const Row*> previous;
    if (refresh) {
        for (const Row& row : rows_) previous.emplace(row.item.name, &row);
    }
    std::vector<Row> rows(listing.items.size());
    std::vector<bool> toMeasure(rows.size(), true);
    for (size_t r = 0; r < rows.size(); ++r) {
        rows[r].item = std::move(listing.items[r]);
        const auto found = previous.find(rows[r].item.name);
        if (found == previous.end() || !sameColumns || !found->second->measured) continue;
        const Row& old = *found->second;
        rows[r].cells = old.cells;
        rows[r].measured = true;
        toMeasure[r] = scope.everything || scope.names.count(rows[r].item.name) != 0 ||
                       (scope.allFolders && rows[r].item.IsFolder()) ||
                       ItemMoved(old.item, rows[r].item);
    }
    rows_ = std::move(rows);
    Reorder(refresh ? &state : nullptr);
    if (!refresh) ::SendMessageW(list_, LVM_ENSUREVISIBLE, 0, FALSE);

    // Rows in view first, then the rest in display order, hidden rows last.
    std::vector<size_t> order;
    const size_t top = static_cast<size_t>(::SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
    for (size_t i = 0; i < shown_.size(); ++i) order.push_back(shown_[(top + i) % shown_.size()]);
    std::vector<bool> placed(rows_.size(), false);
    for (const size_t row : order) placed[row] = true;
    for (size_t row = 0; row < rows_.size(); ++row) {
        if (!placed[row]) order.push_back(row);
    }
    std::vector<FillItem> fill;
    for (const size_t row : order) {
        if (!toMeasure[row]) continue;
        rows_[row].pending = true;
        fill.push_back({row, rows_[row].item.path, rows_[row].item.attributes});
    }
    return fill;
}

void FolderView::ApplyCells(const CellBatch& batch) {
    for (const FilledRow& filled : batch.rows) {
        if (filled.row >= rows_.size()) continue;
        Row& row = rows_[filled.row];
        row.cells = filled.cells;
        row.measured = true;
        row.pending = false;
    }
    const std::optional<size_t> sorted = SortColumn();
    if (!batch.rows.empty() && sorted && columns_[*sorted].kind == ColumnKind::Handler) {
        const ViewState state = CaptureView();
        Reorder(&state);
    } else {
        ::InvalidateRect(list_, nullptr, FALSE);
    }
}

void FolderView::SortBy(size_t column) {
    if (column >= columns_.size()) return;
    if (columns_[column].id == sortId_) {
        ascending_ = !ascending_;
    } else {
        sortId_ = columns_[column].id;
        ascending_ = !SortsDescendingFirst(columns_[column]);
    }
    ShowSortArrow();
    const ViewState state = CaptureView();
    Reorder(&state);
}

void FolderView::SetShowHidden(bool show) {
    showHidden_ = show;
    const ViewState state = CaptureView();
    Reorder(&state);
}

const Row* FolderView::RowAt(int position) const {
    if (position < 0 || static_cast<size_t>(position) >= shown_.size()) return nullptr;
    return &rows_[shown_[position]];
}

size_t FolderView::FoldersBeingMeasured() const {
    return static_cast<size_t>(std::count_if(shown_.begin(), shown_.end(), [&](size_t row) {
        return rows_[row].pending && rows_[row].item.IsFolder();
    }));
}

std::vector<size_t> FolderView::RowsAt(int first, int last) const {
    std::vector<size_t> rows;
    for (int position = std::max(first, 0);
         position <= last && static_cast<size_t>(position) < shown_.size(); ++position) {
        rows.push_back(shown_[position]);
    }
    return rows;
}

void FolderView::FillDisplayInfo(NMLVDISPINFOW& info) const {
    if (info.item.iItem < 0 || static_cast<size_t>(info.item.iItem) >= shown_.size() ||
        info.item.iSubItem < 0 || static_cast<size_t>(info.item.iSubItem) >= columns_.size()) {
        return;
    }
    const Row& row = rows_[shown_[info.item.iItem]];
    const ViewColumn& column = columns_[info.item.iSubItem];
    if ((info.item.mask & LVIF_IMAGE) != 0 && column.kind == ColumnKind::Name) {
        info.item.iImage = row.item.icon;
    }
    if ((info.item.mask & LVIF_TEXT) == 0) return;
    switch (column.kind) {
        case ColumnKind::Name: CopyText(row.item.name, info); break;
        case ColumnKind::Size: CopyText(row.item.sizeText, info); break;
        case ColumnKind::Type: CopyText(row.item.typeText, info); break;
        case ColumnKind::Modified: CopyText(row.item.dateText, info); break;
        case ColumnKind::Handler:
            if (!row.measured || column.handlerColumn >= row.cells.size()) {
                CopyText(kNotYetMeasured, info);
            } else {
                CopyText(host::ShownText(row.cells[column.handlerColumn]), info);
            }
            break;
    }
}

void FolderView::KeepColumnWidths() {
    for (size_t c = 0; c < columns_.size(); ++c) {
        const int width = static_cast<int>(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, c, 0));
        if (width > 0) widths_[columns_[c].id] = width;
    }
}

void FolderView::SetColumns(std::vector<ViewColumn> columns) {
    if (columns == columns_) return;
    while (::SendMessageW(list_, LVM_DELETECOLUMN, 0, 0) != FALSE) {
    }
    columns_ = std::move(columns);
    for (size_t c = 0; c < columns_.size(); ++c) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = columns_[c].format;
        column.cx = columns_[c].width;
        column.pszText = columns_[c].title.data();
        column.iSubItem = static_cast<int>(c);
        ::SendMessageW(list_, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
    ShowSortArrow();
}

std::optional<size_t> FolderView::SortColumn() const {
    for (size_t c = 0; c < columns_.size(); ++c) {
        if (columns_[c].id == sortId_) return c;
    }
    return std::nullopt;
}

void FolderView::ShowSortArrow() {
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETHEADER, 0, 0));
    const std::optional<size_t> sorted = SortColumn();
    for (size_t c = 0; c < columns_.size(); ++c) {
        HDITEMW item = {};
        item.mask = HDI_FORMAT;
        ::SendMessageW(header, HDM_GETITEMW, c, reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (sorted == c) item.fmt |= ascending_ ? HDF_SORTUP : HDF_SORTDOWN;
        ::SendMessageW(header, HDM_SETITEMW, c, reinterpret_cast<LPARAM>(&item));
    }
}

void FolderView::Reorder(const ViewState* keep) {
    shown_.clear();
    for (size_t row = 0; row < rows_.size(); ++row) {
        if (showHidden_ || !Hidden(rows_[row].item)) shown_.push_back(row);
    }
    // A sort column the folder does not have (a handler gone) leaves the listing's order.
    if (const std::optional<size_t> sorted = SortColumn()) {
        SortRows(shown_, rows_, columns_[*sorted], ascending_, sizeColumns_);
    }
    ::SendMessageW(list_, LVM_SETITEMCOUNT, shown_.size(),
                   keep != nullptr ? LVSICF_NOSCROLL : 0);
    SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (keep != nullptr) RestoreView(*keep);
    ::InvalidateRect(list_, nullptr, FALSE);
}

FolderView::ViewState FolderView::CaptureView() const {
    ViewState state;
    auto nameAt = [&](int position) -> std::optional<std::wstring> {
        if (position < 0 || static_cast<size_t>(position) >= shown_.size()) return std::nullopt;
        return rows_[shown_[position]].item.name;
    };
    for (int position = -1;;) {
        position = static_cast<int>(::SendMessageW(list_, LVM_GETNEXTITEM, position, LVNI_SELECTED));
        const std::optional<std::wstring> name = nameAt(position);
        if (!name) break;
        state.selected.insert(*name);
    }
    state.focused = nameAt(static_cast<int>(::SendMessageW(list_, LVM_GETNEXTITEM, -1, LVNI_FOCUSED)));
    state.top = nameAt(static_cast<int>(::SendMessageW(list_, LVM_GETTOPINDEX, 0, 0)));
    return state;
}

void FolderView::RestoreView(const ViewState& state) {
    for (size_t position = 0; position < shown_.size(); ++position) {
        const std::wstring& name = rows_[shown_[position]].item.name;
        const int at = static_cast<int>(position);
        if (state.selected.count(name) != 0) SetItemState(list_, at, LVIS_SELECTED, LVIS_SELECTED);
        if (state.focused == name) {
            SetItemState(list_, at, LVIS_FOCUSED, LVIS_FOCUSED);
            ::SendMessageW(list_, LVM_SETSELECTIONMARK, 0, at);
        }
        if (state.top == name) {
            const int top = static_cast<int>(::SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
            RECT bounds = {};
            bounds.left = LVIR_BOUNDS;
            if (top != at && ::SendMessageW(list_, LVM_GETITEMRECT, 0,
                                            reinterpret_cast<LPARAM>(&bounds))) {
                ::SendMessageW(list_, LVM_SCROLL, 0, (at - top) * (bounds.bottom - bounds.top));
            }
        }
    }
}

}  // namespace trovelle::browser
