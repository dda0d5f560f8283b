#include "FolderView.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <unordered_map>

#include "DisplayScale.h"
#include "FolderListing.h"
#include "GdiScopes.h"
#include "ShareBar.h"
#include "SizeAnswers.h"

namespace trovelle::browser {
namespace {

constexpr wchar_t kNotYetMeasured[] = L"\u2026";
constexpr UINT kFirstColumnCommand = 1;

bool Hidden(const BrowserItem& item) {
    return (item.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0 &&
           item.path.size() > 3;  // a drive's root is never left out
}

// The values a batch of cells brings: a sort by them follows each batch.
bool ArrivesWithCells(ColumnKind kind) {
    return kind == ColumnKind::Size || kind == ColumnKind::OnDisk || kind == ColumnKind::Share ||
           kind == ColumnKind::Handler;
}

bool IsDriveRoot(const BrowserItem& item) { return item.path.size() <= 3; }

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
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT | LVS_EDITLABELS |
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

bool FolderView::ShowsHandlerColumns() const {
    return std::any_of(columns_.begin(), columns_.end(),
                       [](const ViewColumn& column) { return column.kind == ColumnKind::Handler; });
}

void FolderView::UpdateColumns() {
    KeepColumnWidths();
    SetColumns(ColumnsFor(offered_, shownHandlerColumns_, widths_, AverageCharWidth()));
}

std::vector<FillItem> FolderView::Show(Listing listing, Listed listed, const RefreshScope& scope) {
    const bool refresh = listed != Listed::New;
    ViewState state = refresh ? CaptureView() : ViewState{};
    // The first rows' top row sits anywhere among all of them: the view stays at the top.
    if (listed == Listed::Completed) state.top.reset();
    UpdateColumns();
    if (!refresh) folderSizes_ = {};
    const bool askFiles = ShowsHandlerColumns();

    std::unordered_map<std::wstring_view, const Row*> previous;
    if (refresh) {
        previous.reserve(rows_.size());
        for (const Row& row : rows_) previous.emplace(row.item.name, &row);
    }
    std::vector<Row> rows = std::move(listing.rows);
    std::vector<bool> toMeasure(rows.size(), true);
    for (size_t r = 0; r < rows.size(); ++r) {
        Row& row = rows[r];
        if (!row.item.IsFolder()) toMeasure[r] = askFiles;
        if (previous.empty()) continue;
        const auto found = previous.find(row.item.name);
        if (found == previous.end() || !found->second->measured) continue;
        const Row& old = *found->second;
        if (row.item.IsFolder()) row.sizes = old.sizes;
        row.cells = old.cells;
        row.measured = true;
        if (!toMeasure[r]) continue;
        toMeasure[r] = scope.everything || scope.names.count(row.item.name) != 0 ||
                       (scope.allFolders && row.item.IsFolder()) || ItemMoved(old.item, row.item);
    }
    rows_ = std::move(rows);
    Reorder(refresh ? &state : nullptr);
    if (listed != Listed::Again) ::SendMessageW(list_, LVM_ENSUREVISIBLE, 0, FALSE);

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
        fill.push_back({row, rows_[row].item.name, rows_[row].item.path, rows_[row].item.attributes});
    }
    return fill;
}

void FolderView::ApplyCells(const CellBatch& batch) {
    for (const FilledRow& filled : batch.rows) {
        if (filled.row >= rows_.size()) continue;
        Row& row = rows_[filled.row];
        if (filled.sizes) row.sizes = *filled.sizes;
        if (!filled.cells.empty()) row.cells = filled.cells;
        row.measured = true;
        row.pending = false;
    }
    if (batch.folder) folderSizes_ = *batch.folder;
    const std::optional<size_t> sorted = SortColumn();
    if (!batch.rows.empty() && sorted && ArrivesWithCells(columns_[*sorted].kind)) {
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
        return rows_[row].item.IsFolder() &&
               (rows_[row].pending || rows_[row].sizes.state == SizeState::Measuring);
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
        case ColumnKind::Size:
        case ColumnKind::OnDisk:
        case ColumnKind::Share: CopyText(SizeText(row, column.kind), info); break;
        case ColumnKind::Type: CopyText(row.item.typeText, info); break;
        case ColumnKind::Modified:
            // Drives have no date of their own.
            if (!IsDriveRoot(row.item)) CopyText(DateText(row.item.lastWrite), info);
            break;
        case ColumnKind::Handler:
            if (column.handlerColumn < row.cells.size()) {
                CopyText(host::ShownText(row.cells[column.handlerColumn]), info);
            } else if (row.pending) {
                CopyText(kNotYetMeasured, info);
            }
            break;
    }
}

std::wstring FolderView::SizeText(const Row& row, ColumnKind kind) const {
    if (kind != ColumnKind::Share || row.sizes.state != SizeState::Known) {
        return ShownSize(row.sizes, kind == ColumnKind::OnDisk, settings_);
    }
    const std::optional<double> percent = SharePercent(row);
    if (!percent) return {};
    wchar_t text[32] = {};
    std::swprintf(text, std::size(text), L"%.1f %%", *percent);
    return text;
}

std::optional<double> FolderView::SharePercent(const Row& row) const {
    if (row.sizes.state != SizeState::Known || folderSizes_.state != SizeState::Known ||
        folderSizes_.totals.bytes == 0) {
        return std::nullopt;
    }
    const double share = 100.0 * static_cast<double>(row.sizes.totals.bytes) /
                         static_cast<double>(folderSizes_.totals.bytes);
    return std::min(share, 100.0);  // a total read a moment before a file grew
}

void FolderView::RereadSettings() {
    settings_.Reread();
    ::InvalidateRect(list_, nullptr, FALSE);
}

bool FolderView::SetOfferedColumns(std::vector<SHCOLUMNINFO> offered) {
    const bool same = offered.size() == offered_.size() &&
                      std::equal(offered.begin(), offered.end(), offered_.begin(),
                                 [](const SHCOLUMNINFO& a, const SHCOLUMNINFO& b) {
                                     return HandlerColumnId(a) == HandlerColumnId(b);
                                 });
    offered_ = std::move(offered);
    if (same) return false;
    UpdateColumns();
    for (Row& row : rows_) row.cells.clear();  // they belonged to other columns
    return ShowsHandlerColumns();
}

bool FolderView::ChooseHandlerColumns(POINT screen) {
    const UniqueMenu menu(::CreatePopupMenu());
    if (offered_.empty()) {
        ::AppendMenuW(menu.Get(), MF_STRING | MF_GRAYED, 0, L"No other columns are registered");
    }
    for (size_t c = 0; c < offered_.size(); ++c) {
        const bool shown = shownHandlerColumns_.count(HandlerColumnId(offered_[c])) != 0;
        ::AppendMenuW(menu.Get(), MF_STRING | (shown ? MF_CHECKED : 0), kFirstColumnCommand + c,
                      offered_[c].wszTitle);
    }
    const UINT chosen = ::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x,
                                         screen.y, 0, list_, nullptr);
    if (chosen < kFirstColumnCommand || chosen - kFirstColumnCommand >= offered_.size()) return false;
    const std::wstring id = HandlerColumnId(offered_[chosen - kFirstColumnCommand]);
    const bool added = shownHandlerColumns_.insert(id).second;
    if (!added) shownHandlerColumns_.erase(id);
    SaveShownHandlerColumns(shownHandlerColumns_);
    UpdateColumns();
    return added;
}

std::vector<const Row*> FolderView::ShownRows() const {
    std::vector<const Row*> rows;
    rows.reserve(shown_.size());
    for (const size_t row : shown_) rows.push_back(&rows_[row]);
    return rows;
}

std::vector<ExportRow> FolderView::ExportRows() const {
    std::vector<ExportRow> rows;
    rows.reserve(shown_.size());
    for (const size_t at : shown_) {
        const Row& row = rows_[at];
        ExportRow& exported = rows.emplace_back();
        exported.name = row.item.name;
        if (row.sizes.state == SizeState::Known) {
            exported.size = row.sizes.totals.bytes;
            exported.sizeOnDisk = row.sizes.totals.onDisk;
        }
        exported.sharePercent = SharePercent(row);
        exported.type = row.item.typeText;
        exported.modified = row.item.lastWrite;
    }
    return rows;
}

std::vector<int> FolderView::SelectedPositions() const {
    std::vector<int> positions;
    for (int position = -1;;) {
        position = static_cast<int>(::SendMessageW(list_, LVM_GETNEXTITEM, position, LVNI_SELECTED));
        if (position < 0) break;
        positions.push_back(position);
    }
    return positions;
}

bool FolderView::SelectNamed(const std::wstring& name) {
    for (size_t position = 0; position < shown_.size(); ++position) {
        if (rows_[shown_[position]].item.name != name) continue;
        const int at = static_cast<int>(position);
        SetItemState(list_, -1, 0, LVIS_SELECTED);
        SetItemState(list_, at, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ::SendMessageW(list_, LVM_SETSELECTIONMARK, 0, at);
        ::SendMessageW(list_, LVM_ENSUREVISIBLE, at, FALSE);
        return true;
    }
    return false;
}

LRESULT FolderView::CustomDraw(NMLVCUSTOMDRAW& draw) const {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const size_t position = draw.nmcd.dwItemSpec;
            if (draw.iSubItem < 0 || static_cast<size_t>(draw.iSubItem) >= columns_.size() ||
                columns_[draw.iSubItem].kind != ColumnKind::Share || position >= shown_.size()) {
                return CDRF_DODEFAULT;
            }
            DrawShare(draw, rows_[shown_[position]]);
            return CDRF_SKIPDEFAULT;
        }
        default: return CDRF_DODEFAULT;
    }
}

void FolderView::DrawShare(const NMLVCUSTOMDRAW& draw, const Row& row) const {
    ShareCell cell;
    cell.bounds.top = draw.iSubItem;
    cell.bounds.left = LVIR_BOUNDS;
    if (!::SendMessageW(list_, LVM_GETSUBITEMRECT, draw.nmcd.dwItemSpec,
                        reinterpret_cast<LPARAM>(&cell.bounds))) {
        return;
    }
    cell.selected = ::SendMessageW(list_, LVM_GETITEMSTATE, draw.nmcd.dwItemSpec, LVIS_SELECTED) != 0;
    cell.focused = ::GetFocus() == list_;
    if (const std::optional<double> percent = SharePercent(row)) cell.share = *percent / 100.0;
    cell.text = SizeText(row, ColumnKind::Share);
    // The percent keeps room for its widest text; the bar takes what is left.
    SIZE widest = {};
    ::GetTextExtentPoint32W(draw.nmcd.hdc, L"100.0 %", 7, &widest);
    cell.textWidth = widest.cx;
    DrawShareCell(draw.nmcd.hdc, list_, cell);
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
    // The rows come from the listing in name order, so that order costs nothing (the other
    // way round, a reversal); a sort column the folder does not have (a handler gone) leaves
    // the listing's order.
    if (const std::optional<size_t> sorted = SortColumn()) {
        if (columns_[*sorted].kind != ColumnKind::Name) {
            SortRows(shown_, rows_, columns_[*sorted], ascending_);
        } else if (!ascending_) {
            std::reverse(shown_.begin(), shown_.end());
        }
    }
    ClearSelectionAndFocus();
    ::SendMessageW(list_, LVM_SETITEMCOUNT, shown_.size(),
                   keep != nullptr ? LVSICF_NOSCROLL : 0);
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

// Only what is set is cleared: clearing every row of a large folder costs the list a pass over
// all of them.
void FolderView::ClearSelectionAndFocus() {
    if (::SendMessageW(list_, LVM_GETSELECTEDCOUNT, 0, 0) > 0) {
        SetItemState(list_, -1, 0, LVIS_SELECTED);
    }
    const int focused = static_cast<int>(::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                        LVNI_FOCUSED));
    if (focused >= 0) SetItemState(list_, focused, 0, LVIS_FOCUSED);
}

void FolderView::RestoreView(const ViewState& state) {
    if (state.selected.empty() && !state.focused && !state.top) return;
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
