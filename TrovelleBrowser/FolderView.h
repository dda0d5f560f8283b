// The list of a folder's items (a virtual report list: rows are drawn from the rows kept here,
// so a folder of any size shows at once), its columns, its sort, and the sizes and handler cells
// as they arrive. Selection, focus and scroll position are kept by name across refreshes and
// re-sorts. The share column is drawn here: a bar and its percent, always inside the cell.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "BrowserSettings.h"
#include "ColumnSettings.h"
#include "FolderContent.h"
#include "ListExport.h"
#include "RowOrder.h"
#include "ViewColumns.h"

namespace trovelle::browser {

// Which rows of a refreshed folder are to be measured again.
struct RefreshScope {
    bool everything = true;
    std::set<std::wstring> names;  // rows a change touched, when not everything
    bool allFolders = false;       // and every folder row
};

class FolderView {
public:
    bool Create(HWND parent, HINSTANCE instance, int id);
    HWND Window() const { return list_; }

    // Shows a new listing. For a refresh of the folder already shown, rows keep their cells
    // until measured again and the view keeps its selection, focus and (unless the rows shown
    // were only a folder's first ones) scroll position; the rows to measure (rows in view
    // first) are returned.
    enum class Listed { New, Again, Completed };
    std::vector<FillItem> Show(Listing listing, Listed listed, const RefreshScope& scope);
    void ApplyCells(const CellBatch& batch);
    // The other handlers' columns the folder offers; true when shown ones came or changed, so
    // that every row is to be asked again.
    bool SetOfferedColumns(std::vector<SHCOLUMNINFO> offered);
    // The header's menu: the other handlers' columns, each checked when shown; a choice shows or
    // hides it (remembered). True when a column was added, so the rows are to be asked again.
    bool ChooseHandlerColumns(POINT screen);
    const std::set<std::wstring>& ShownHandlerColumns() const { return shownHandlerColumns_; }
    bool ShowsHandlerColumns() const;
    void RereadSettings();
    const ColumnSettings& Settings() const { return settings_; }
    // The folder's own total, which the share column divides by.
    const ItemSizes& FolderSizes() const { return folderSizes_; }
    // NM_CUSTOMDRAW of the list.
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw) const;

    void SortBy(size_t column);  // a header click: this column, or the other way round
    void SetShowHidden(bool show);
    bool ShowsHidden() const { return showHidden_; }

    // The row at a display position, or nullptr.
    const Row* RowAt(int position) const;
    size_t ShownCount() const { return shown_.size(); }
    size_t FoldersBeingMeasured() const;
    // Rows of display positions [first, last], for the worker to measure first.
    std::vector<size_t> RowsAt(int first, int last) const;

    // The rows shown, in display order.
    std::vector<const Row*> ShownRows() const;
    // The rows shown, as the CSV export writes them.
    std::vector<ExportRow> ExportRows() const;
    // Display positions of the selected rows, top to bottom.
    std::vector<int> SelectedPositions() const;
    // Selects and focuses the row named `name` and scrolls it into view; false when not shown.
    bool SelectNamed(const std::wstring& name);

    void FillDisplayInfo(NMLVDISPINFOW& info) const;
    // The texts of a row's size, size on disk and share, as shown.
    std::wstring SizeText(const Row& row, ColumnKind kind) const;
    // Remembers the widths the user gave the columns.
    void KeepColumnWidths();
    const ColumnWidths& Widths() const { return widths_; }

private:
    struct ViewState {
        std::set<std::wstring> selected;
        std::optional<std::wstring> focused;
        std::optional<std::wstring> top;
    };

    void SetColumns(std::vector<ViewColumn> columns);
    void UpdateColumns();
    std::optional<double> SharePercent(const Row& row) const;
    void DrawShare(const NMLVCUSTOMDRAW& draw, const Row& row) const;
    void ShowSortArrow();
    void Reorder(const ViewState* keep);
    ViewState CaptureView() const;
    void RestoreView(const ViewState& state);
    void ClearSelectionAndFocus();
    std::optional<size_t> SortColumn() const;
    int AverageCharWidth() const;

    HWND list_ = nullptr;
    std::vector<ViewColumn> columns_;
    std::vector<Row> rows_;
    std::vector<size_t> shown_;  // display position -> row
    std::vector<SHCOLUMNINFO> offered_;
    std::set<std::wstring> shownHandlerColumns_ = ReadShownHandlerColumns();
    ColumnSettings settings_;
    ItemSizes folderSizes_;
    std::wstring sortId_ = L"Name";
    bool ascending_ = true;
    bool showHidden_ = false;
    ColumnWidths widths_ = ReadColumnWidths();
};

}  // namespace trovelle::browser
