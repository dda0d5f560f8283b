// The list of a folder's items (a virtual report list: rows are drawn from the rows kept here,
// so a folder of any size shows at once), its columns, its sort, and the handler cells as they
// arrive. Selection, focus and scroll position are kept by name across refreshes and re-sorts.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "BrowserSettings.h"
#include "FolderContent.h"
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
    // until measured again and the view keeps its selection, focus and scroll position; the
    // rows to measure (rows in view first) are returned.
    std::vector<FillItem> Show(Listing listing, bool refresh, const RefreshScope& scope);
    void ApplyCells(const CellBatch& batch);

    void SortBy(size_t column);  // a header click: this column, or the other way round
    void SetShowHidden(bool show);
    bool ShowsHidden() const { return showHidden_; }

    // The row at a display position, or nullptr.
    const Row* RowAt(int position) const;
    size_t ShownCount() const { return shown_.size(); }
    size_t FoldersBeingMeasured() const;
    // Rows of display positions [first, last], for the worker to measure first.
    std::vector<size_t> RowsAt(int first, int last) const;

    void FillDisplayInfo(NMLVDISPINFOW& info) const;
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
    void ShowSortArrow();
    void Reorder(const ViewState* keep);
    ViewState CaptureView() const;
    void RestoreView(const ViewState& state);
    std::optional<size_t> SortColumn() const;
    int AverageCharWidth() const;

    HWND list_ = nullptr;
    std::vector<ViewColumn> columns_;
    std::vector<Row> rows_;
    std::vector<size_t> shown_;  // display position -> row
    SizeColumns sizeColumns_;
    std::wstring sortId_ = L"Name";
    bool ascending_ = true;
    bool showHidden_ = false;
    ColumnWidths widths_ = ReadColumnWidths();
};

}  // namespace trovelle::browser
