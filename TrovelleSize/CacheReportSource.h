// The report's totals from the cache server: one call per folder brings the folder's total and
// those of its subfolders the server knows, and a subfolder it did not know is asked alone.
// When the server cannot be reached at all, the folders are summed here instead.
#pragma once

#include <windows.h>

#include "CacheConnection.h"
#include "report/ReportGathering.h"

namespace trovelle::sizes {

class CacheReportSource : public ReportSource {
public:
    explicit CacheReportSource(DirectoryLister& lister) : summing_(lister) {}

    FolderAnswers Measure(const Path& folder, const std::vector<std::u16string>& subfolders) override;

    // S_OK while the server answers; else why it could not be reached (the folders are summed
    // here from then on).
    HRESULT Unreachable() const { return unreachable_; }

private:
    SizeAnswer Ask(const Path& folder);
    bool Unreached(HRESULT result);

    CacheConnection cache_;
    SummingSource summing_;
    HRESULT unreachable_ = S_OK;
};

}  // namespace trovelle::sizes
