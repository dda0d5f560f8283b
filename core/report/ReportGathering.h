// How a size report is gathered: each folder listed for its subfolders, and their totals asked
// of a source (the cache server, or a walk of its own) one folder at a time.
#pragma once

#include <string>
#include <vector>

#include "report/FolderReport.h"
#include "system/Platform.h"

namespace trovelle {

struct SizeAnswer {
    bool known = false;
    ByteTotals totals;
    uint32_t failure = 0;  // an HRESULT when not known and the source can tell why
};

struct FolderAnswers {
    SizeAnswer folder;
    std::vector<SizeAnswer> subfolders;  // one per name asked, in the same order
};

class ReportSource {
public:
    // The totals of `folder` and of the subfolders of it named in `subfolders`.
    virtual FolderAnswers Measure(const Path& folder, const std::vector<std::u16string>& subfolders) = 0;

protected:
    ~ReportSource() = default;
};

// Totals summed here by the one walk the cache uses too, keeping nothing: a folder and its
// subfolders are measured by one walk of the folder.
class SummingSource : public ReportSource {
public:
    explicit SummingSource(DirectoryLister& lister) : lister_(lister) {}
    FolderAnswers Measure(const Path& folder, const std::vector<std::u16string>& subfolders) override;

private:
    DirectoryLister& lister_;
};

struct ReportRequest {
    std::vector<Path> folders;  // each a folder the listers take ("x:" for a root)
    unsigned depth = 1;
    ReportOrder order = ReportOrder::BySize;
    size_t top = 0;
};

// Folders that cannot be listed or measured become problems; the others are reported. A
// subfolder that goes while the report is gathered is a problem and left out; one that goes
// after its total was taken keeps that total, unexpanded. A subfolder below the depth asked is
// not listed: one that cannot be read counts what could be read of it, as Explorer counts it.
Report GatherReport(ReportSource& source, DirectoryLister& lister, const ReportRequest& request);

}  // namespace trovelle
