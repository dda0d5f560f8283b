// The order of the list's rows under a sorted column, as Explorer sorts: folders before files by
// name, sizes by byte count, dates by time, a handler's cells as numbers where they are numbers.
#pragma once

#include <cstddef>
#include <vector>

#include "FolderContent.h"
#include "ViewColumns.h"

namespace trovelle::browser {

struct Row {
    BrowserItem item;
    std::vector<host::Cell> cells;  // one per handler column
    bool measured = false;          // the cells hold an answer (perhaps one being refreshed)
    bool pending = false;           // asked of the worker, not yet answered
};

// Sorts `order` (indexes into `rows`). Rows whose cell in `column` has no answer yet (or a
// failed one) come last either way; ties go by name.
void SortRows(std::vector<size_t>& order, const std::vector<Row>& rows, const ViewColumn& column,
              bool ascending, const SizeColumns& sizeColumns);

// Sizes, dates and numbers start with the largest or newest, as a user asking for them means.
bool SortsDescendingFirst(const ViewColumn& column);

}  // namespace trovelle::browser
