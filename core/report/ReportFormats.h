// A size report as text for people, JSON or CSV for programs: UTF-8, lines ended by CRLF.
#pragma once

#include <string>
#include <vector>

#include "report/FolderReport.h"
#include "text/SizeText.h"

namespace trovelle {

// Columns of size, size on disk and share of the parent (a bar and a percent, by the order's
// value), then the folder, indented by its level: the path for a folder asked for, the name
// below it. `sizes` formats both sizes.
std::string ReportText(const std::vector<ReportFolder>& folders, ReportOrder order,
                       const SizeTextSettings& sizes);

// {"path", "size", "sizeOnDisk", "children"} per folder, exact byte counts; "children" only for
// a folder whose subfolders were listed. One folder asked for gives its object, several an
// array. A lone surrogate in a name is kept as a \u escape, so the path stays the file's own.
std::string ReportJson(const std::vector<ReportFolder>& folders, bool asArray);

// A header, then "path,size,sizeOnDisk,share" per folder, parents before their subfolders;
// the share of the parent (by the order's value) in percent to a tenth, 100.0 for a folder
// asked for.
std::string ReportCsv(const std::vector<ReportFolder>& folders, ReportOrder order);

}  // namespace trovelle
