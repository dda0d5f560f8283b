#include "report/ReportGathering.h"

#include <unordered_map>

#include "walk/FolderWalk.h"

namespace trovelle {
namespace {

// Keeps the totals of the walked folder's own subfolders, by name, as the walk closes them.
class SubfolderTotals : public WalkKeeper {
public:
    void Open(WalkFrame& frame, const WalkFrame* parent, bool) override {
        // Only the folder and its subfolders report back; the fresh record has every folder
        // listed.
        frame.kept = parent == nullptr || parent->path == root_;
        if (parent == nullptr) root_ = frame.path;
    }
    void Unlisted(const WalkFrame&, bool) override {}
    LinkPlan PlanLink(WalkFrame&, const Path&) override { return {}; }
    void SameFolder(WalkFrame&, const Path&, const Path&) override {}
    void Close(const WalkFrame& frame, Measured& measured) override {
        if (frame.path != root_) totals_[std::u16string(LastName(frame.path))] = measured.total;
    }

    const ByteTotals* Find(const std::u16string& name) const {
        const auto found = totals_.find(name);
        return found != totals_.end() ? &found->second : nullptr;
    }

private:
    Path root_;
    std::unordered_map<std::u16string, ByteTotals> totals_;
};

SizeAnswer AnswerOf(const FolderSizes& sizes) { return {sizes.measured, sizes.totals, 0}; }

class Gathering {
public:
    Gathering(ReportSource& source, DirectoryLister& lister, const ReportRequest& request)
        : source_(source), lister_(lister), request_(request) {}

    Report Gather() {
        for (const Path& folder : request_.folders) {
            ReportFolder root{folder, {}, false, {}};
            if (Measure(root, request_.depth)) report_.folders.push_back(std::move(root));
        }
        return std::move(report_);
    }

private:
    // Lists `folder` and takes its total, and its subfolders' to `levels` below it. False when
    // it cannot be listed or measured: its total is then left as it was. Listed even for its
    // total alone, since a folder that cannot be read is answered with what could be read of
    // it, 0, as if that were its size.
    bool Measure(ReportFolder& folder, unsigned levels) {
        std::vector<std::u16string> names;
        if (!ListSubfolders(folder.path, names)) return false;
        if (levels == 0) names.clear();
        const FolderAnswers answers = source_.Measure(folder.path, names);
        if (!answers.folder.known) {
            Problem(folder.path, answers.folder.failure);
            return false;
        }
        folder.totals = answers.folder.totals;
        if (levels > 0) Expand(folder, names, answers.subfolders, levels);
        return true;
    }

    // Takes the subfolders' answers into `folder`, then goes `levels` - 1 further down.
    void Expand(ReportFolder& folder, const std::vector<std::u16string>& names,
                const std::vector<SizeAnswer>& answers, unsigned levels) {
        folder.expanded = true;
        for (size_t at = 0; at < names.size(); ++at) {
            const SizeAnswer answer = at < answers.size() ? answers[at] : SizeAnswer{};
            Path path = JoinPath(folder.path, names[at]);
            if (!answer.known) {
                Problem(path, answer.failure);
                continue;
            }
            folder.children.push_back({std::move(path), answer.totals, false, {}});
        }
        OrderChildren(folder.children, request_.order, request_.top);
        if (levels <= 1) return;
        // A child measured again brings its total with its subfolders' totals of the moment.
        for (ReportFolder& child : folder.children) Measure(child, levels - 1);
    }

    bool ListSubfolders(const Path& folder, std::vector<std::u16string>& names) {
        if (!lister_.List(folder, entries_)) {
            Problem(folder, 0);
            return false;
        }
        for (DirectoryEntry& entry : entries_) {
            if (entry.isFolder && entry.name != u"." && entry.name != u"..") {
                names.push_back(std::move(entry.name));
            }
        }
        return true;
    }

    void Problem(const Path& path, uint32_t failure) { report_.problems.push_back({path, failure}); }

    ReportSource& source_;
    DirectoryLister& lister_;
    const ReportRequest& request_;
    std::vector<DirectoryEntry> entries_;
    Report report_;
};

}  // namespace

FolderAnswers SummingSource::Measure(const Path& folder, const std::vector<std::u16string>& subfolders) {
    SubfolderTotals kept;
    FolderAnswers answers;
    {
        const ScanScope scan(lister_);
        answers.folder = AnswerOf(AnswerFor(WalkFolder(lister_, folder, &kept), lister_, folder));
    }
    for (const std::u16string& name : subfolders) {
        const ByteTotals* totals = answers.folder.known ? kept.Find(name) : nullptr;
        // A subfolder the walk credited without closing it (a link to a folder it had measured
        // already) is summed on its own.
        answers.subfolders.push_back(totals != nullptr ? SizeAnswer{true, *totals, 0}
                                                       : AnswerOf(SumFolderTree(lister_, JoinPath(folder, name))));
    }
    return answers;
}

Report GatherReport(ReportSource& source, DirectoryLister& lister, const ReportRequest& request) {
    return Gathering(source, lister, request).Gather();
}

}  // namespace trovelle
