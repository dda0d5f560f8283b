#include "ItemSize.h"

#include <windows.h>

#include <algorithm>

#include "FolderSize.h"
#include "index/FolderKey.h"
#include "ParentFolder.h"
#include "settings/Settings.h"
#include "UniqueHandle.h"
#include "WideText.h"
#include "Win32FileSystem.h"

namespace trovelle {
namespace {

uint64_t Combine(DWORD high, DWORD low) { return (uint64_t{high} << 32) | low; }

// How long a parent's total, and the totals of its subfolders, answer its cells.
constexpr ULONGLONG kReuseMs = 1000;

// Whether a server creation or call answered; a failure shows the HRESULT itself in `error`
// (sign-extended like every code here).
bool Answered(HRESULT hr, uint64_t& error) {
    if (FAILED(hr)) error = static_cast<uint64_t>(static_cast<int64_t>(hr));
    return SUCCEEDED(hr);
}

// Whether the server answers or the folder is summed here, the parent's total is asked for once
// a second at most: a local sum walks the whole subtree, a server answer costs a round trip.
bool ParentTotal(const std::wstring& parent, const ColumnSettings& settings,
                 CellSources& sources, uint64_t& size, uint64_t& error) {
    const ULONGLONG now = ::GetTickCount64();
    if (parent == sources.parent && now - sources.parentAskedAt < kReuseMs) {
        size = sources.parentSize;
        return true;
    }
    if (!FolderTotal(parent, settings, sources.cache, size, error)) return false;
    sources.parent = parent;
    sources.parentSize = size;
    sources.parentAskedAt = now;
    return true;
}

// A folder cell's total from the server. The first folder cell under a parent asks for its
// folder and, in the same round trip, for every subfolder total the server already knows; the
// parent's other folder cells take theirs from that answer for a second. A folder that was not
// known then is asked for on its own, as it would have been without the shared answer, and its
// answer joins the shared one.
HRESULT SharedServerTotal(const std::wstring& folder, CellSources& sources, uint64_t& size) {
    const std::wstring_view parent = ParentFolder(folder);
    const std::wstring_view name =
        std::wstring_view(folder).substr(std::min(folder.size(), parent.size() + 1));
    if (name.empty() || sources.answersOneAtATime) return sources.cache.FolderSize(folder, size);
    SubfolderTotals& known = sources.subfolders;
    if (known.parent == parent && ::GetTickCount64() - known.askedAt < kReuseMs) {
        std::u16string key = FoldedKey(ToCore(name));
        const auto found = known.byFoldedName.find(key);
        if (found != known.byFoldedName.end()) {
            size = found->second;
            return S_OK;
        }
        // Asked on its own; the other columns' cells of this folder share its answer too.
        const HRESULT hr = sources.cache.FolderSize(folder, size);
        if (SUCCEEDED(hr)) known.byFoldedName.emplace(std::move(key), size);
        return hr;
    }
    const HRESULT hr =
        sources.cache.FolderAndSubfolderSizes(std::wstring(parent), folder, size, known);
    if (hr != E_NOINTERFACE) return hr;
    sources.answersOneAtATime = true;
    return sources.cache.FolderSize(folder, size);
}

// A folder cell's total: summed here with the cache off, else through the shared answer.
bool CellFolderTotal(const std::wstring& folder, const ColumnSettings& settings,
                     CellSources& sources, uint64_t& size, uint64_t& error) {
    if (!IsFlagOn(settings.enableCache)) {
        return FolderTotal(folder, settings, sources.cache, size, error);
    }
    return Answered(SharedServerTotal(folder, sources, size), error);
}

}  // namespace

bool FolderTotal(const std::wstring& folder, const ColumnSettings& settings,
                 CacheConnection& cache, uint64_t& size, uint64_t& error) {
    if (!IsFlagOn(settings.enableCache)) {
        size = LocalFolderSum(folder);
        return true;
    }
    return Answered(cache.FolderSize(folder, size), error);
}

bool FileLength(const std::wstring& path, uint64_t& size, uint64_t& error) {
    // Asked exactly as listed: "nul.txt" is a file here, not the device, and "name." keeps its dot.
    const std::wstring exact = LongPathForm(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (::GetFileAttributesExW(exact.c_str(), GetFileExInfoStandard, &data)) {
        size = Combine(data.nFileSizeHigh, data.nFileSizeLow);
        return true;
    }
    WIN32_FIND_DATAW found;
    const UniqueFindHandle find(::FindFirstFileW(exact.c_str(), &found));
    if (!find) {
        error = ::GetLastError();
        return false;
    }
    size = Combine(found.nFileSizeHigh, found.nFileSizeLow);
    return true;
}

ItemSizeResult GetItemSize(const std::wstring& path, bool isFolder, bool wantParent,
                           const ColumnSettings& settings, CellSources& sources) {
    ItemSizeResult result;
    uint64_t error = 0;
    bool measured = false;
    if (isFolder) {
        if (settings.viewStyle == kFilesOnly) return result;
        measured = CellFolderTotal(path, settings, sources, result.size, error);
    } else {
        if (settings.viewStyle == kFoldersOnly) return result;
        measured = FileLength(path, result.size, error);
    }
    if (!measured) {
        result.size = error;
        return result;
    }
    const std::wstring parent(ParentFolder(path));
    if (wantParent && !ParentTotal(parent, settings, sources, result.parentSize, error)) {
        result.size = error;
        return result;
    }
    result.succeeded = true;
    return result;
}

}  // namespace trovelle
