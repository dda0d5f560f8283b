#include "SizeAnswers.h"

#include "DirectoryInformation.h"
#include "ItemCells.h"
#include "WideText.h"
#include "Win32FileSystem.h"
#include "index/FolderKey.h"

namespace trovelle::browser {

ItemSizes AskFolderSizes(CacheConnection& cache, const std::wstring& folder) {
    ByteTotals totals;
    const HRESULT result = cache.FolderSizes(folder, totals);
    return SizesFromAnswer(folder, result, totals);
}

ItemSizes SizesFromAnswer(const std::wstring& folder, HRESULT result, const ByteTotals& totals) {
    if (SUCCEEDED(result)) return {SizeState::Known, totals, S_OK};
    if (result != HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)) return {SizeState::Failed, {}, result};
    // The server measures nothing it cannot list: whether the folder is there tells why.
    if (OpenNamedFolderToList(folder)) return {SizeState::Failed, {}, result};
    const DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED) return {SizeState::NoAccess, {}, S_OK};
    return {SizeState::Gone, {}, S_OK};
}

std::optional<ItemSizes> KnownSizes(const SubfolderTotals& known, const std::wstring& name) {
    const auto found = known.byFoldedName.find(FoldedKey(ToCore(name)));
    if (found == known.byFoldedName.end()) return std::nullopt;
    return ItemSizes{SizeState::Known, found->second, S_OK};
}

std::wstring ShownSize(const ItemSizes& sizes, bool onDisk, const ColumnSettings& settings) {
    switch (sizes.state) {
        case SizeState::Measuring: return L"\u2026";
        case SizeState::NoAccess: return L"no access";
        case SizeState::Gone: return L"not there";
        case SizeState::Failed: return host::ShownText({sizes.failure, {}});
        case SizeState::Known: break;
    }
    return SizeText(onDisk ? sizes.totals.onDisk : sizes.totals.bytes, settings);
}

}  // namespace trovelle::browser
