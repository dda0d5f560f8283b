#include "CacheReportSource.h"

#include "WideText.h"
#include "index/FolderKey.h"
#include "report/FolderReport.h"

namespace trovelle::sizes {
namespace {

SizeAnswer AnswerOf(HRESULT result, const ByteTotals& totals) {
    if (SUCCEEDED(result)) return {true, totals, 0};
    return {false, {}, static_cast<uint32_t>(result)};
}

}  // namespace

bool CacheReportSource::Unreached(HRESULT result) {
    // A folder the server could not measure fails with ERROR_PATH_NOT_FOUND; anything else
    // failed is the server not answering (not registered, not starting, gone).
    if (SUCCEEDED(result) || result == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)) return false;
    unreachable_ = result;
    return true;
}

SizeAnswer CacheReportSource::Ask(const Path& folder) {
    ByteTotals totals;
    const HRESULT result = cache_.FolderSizes(ToWide(folder), totals);
    if (Unreached(result)) return summing_.Measure(folder, {}).folder;
    return AnswerOf(result, totals);
}

FolderAnswers CacheReportSource::Measure(const Path& folder, const std::vector<std::u16string>& subfolders) {
    if (FAILED(unreachable_)) return summing_.Measure(folder, subfolders);
    FolderAnswers answers;
    if (subfolders.empty()) {
        answers.folder = Ask(folder);
        return answers;
    }
    const std::wstring path = ToWide(folder);
    ByteTotals totals;
    SubfolderTotals known;
    const HRESULT result = cache_.FolderAndSubfolderSizes(path, path, totals, known);
    if (Unreached(result)) return summing_.Measure(folder, subfolders);
    answers.folder = AnswerOf(result, totals);
    if (!answers.folder.known) return answers;
    for (const std::u16string& name : subfolders) {
        const auto found = known.byFoldedName.find(FoldedKey(name));
        answers.subfolders.push_back(found != known.byFoldedName.end() ? SizeAnswer{true, found->second, 0}
                                                                       : Ask(JoinPath(folder, name)));
    }
    return answers;
}

}  // namespace trovelle::sizes
