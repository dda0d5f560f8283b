// The order of the list's rows under a sorted column, as Explorer sorts: folders before files by
// name, sizes and shares by byte count (a folder's total beside a file's length), dates by time,
// a handler's cells as numbers where they are numbers.
#pragma once

#include <cstddef>
#include <vector>

#include "FolderContent.h"
#include "ViewColumns.h"

namespace trovelle::browser {

// Sorts `order` (indexes into `rows`). Rows with no answer yet in `column` (or a failed one)
// come last either way; ties go by name.
void SortRows(std::vector<size_t>& order, const std::vector<Row>& rows, const ViewColumn& column,
              bool ascending);

// Items in the list's first order: folders first, each by name. A listing sorted so before it
// reaches the window costs the window one pass to confirm.
void SortByName(std::vector<BrowserItem>& items);

// Sizes, dates and numbers start with the largest or newest, as a user asking for them means.
bool SortsDescendingFirst(const ViewColumn& column);

}  // namespace trovelle::browser
