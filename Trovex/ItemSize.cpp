#include "ItemSize.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "FolderSize.h"
#include "index/FolderKey.h"
#include "ParentFolder.h"
#include "settings/Settings.h"
#include "UniqueHandle.h"
#include "WideText.h"
#include "Win32DirectoryLister.h"
#include "Win32FileSystem.h"

namespace trovelle {
namespace {

uint64_t Combine(DWORD high, DWORD low) { return (uint64_t{high} << 32) | low; }

// How long a parent's total, the totals of its subfolders and its listing answer its cells.
constexpr ULONGLONG kReuseMs = 1000;

bool Fresh(ULONGLONG askedAt) { return ::GetTickCount64() - askedAt < kReuseMs; }

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
    if (parent == sources.parent && Fresh(sources.parentAskedAt)) {
        size = sources.parentSize;
        return true;
    }
    ByteTotals sizes;
    if (!FolderTotals(parent, settings, sources.cache, sizes, error)) return false;
    size = sizes.bytes;
    sources.parent = parent;
    sources.parentSize = size;
    sources.parentAskedAt = ::GetTickCount64();
    return true;
}

// A folder cell's totals from the server. The first folder cell under a parent asks for its
// folder and, in the same round trip, for every subfolder total the server already knows; the
// parent's other folder cells take theirs from that answer for a second. A folder that was not
// known then is asked for on its own, as it would have been without the shared answer, and its
// answer joins the shared one.
HRESULT SharedServerTotals(const std::wstring& folder, CellSources& sources, ByteTotals& sizes) {
    const std::wstring_view parent = ParentFolder(folder);
    const std::wstring_view name =
        std::wstring_view(folder).substr(std::min(folder.size(), parent.size() + 1));
    if (name.empty()) return sources.cache.FolderSizes(folder, sizes);
    SubfolderTotals& known = sources.subfolders;
    if (known.parent == parent && Fresh(known.askedAt)) {
        std::u16string key = FoldedKey(ToCore(name));
        const auto found = known.byFoldedName.find(key);
        if (found != known.byFoldedName.end()) {
            sizes = found->second;
            return S_OK;
        }
        // Asked on its own; the other columns' cells of this folder share its answer too.
        const HRESULT hr = sources.cache.FolderSizes(folder, sizes);
        if (SUCCEEDED(hr)) known.byFoldedName.emplace(std::move(key), sizes);
        return hr;
    }
    return sources.cache.FolderAndSubfolderSizes(std::wstring(parent), folder, sizes, known);
}

// A folder cell's totals: summed here with the cache off, else through the shared answer. A
// folder that is not there shows 0, as the size column always showed it.
bool CellFolderTotals(const std::wstring& folder, const ColumnSettings& settings,
                      CellSources& sources, ByteTotals& sizes, uint64_t& error) {
    const bool answered = IsFlagOn(settings.enableCache)
                              ? Answered(SharedServerTotals(folder, sources, sizes), error)
                              : FolderTotals(folder, settings, sources.cache, sizes, error);
    if (answered || static_cast<HRESULT>(error) != kFolderNotThere) return answered;
    sizes = {};
    return true;
}

bool ListFiles(const std::wstring& folder, ListedFiles& files, uint64_t& error) {
    Win32DirectoryLister lister;
    std::vector<DirectoryEntry> entries;
    if (!lister.List(ToCore(folder), entries)) {
        error = ::GetLastError();
        return false;
    }
    files.folder = folder;
    files.listedAt = ::GetTickCount64();
    files.byFoldedName.clear();
    for (const DirectoryEntry& entry : entries) {
        if (!entry.isFolder) files.byFoldedName[FoldedKey(entry.name)] = {entry.size, entry.allocation};
    }
    return true;
}

bool ItemSizes(const std::wstring& path, bool isFolder, SizeKind kind,
               const ColumnSettings& settings, CellSources& sources, uint64_t& size,
               uint64_t& error) {
    if (!isFolder && kind == SizeKind::Length) return FileLength(path, size, error);
    ByteTotals sizes;
    const bool measured = isFolder ? CellFolderTotals(path, settings, sources, sizes, error)
                                   : ListedFileSizes(path, sources.files, sizes, error);
    if (measured) size = kind == SizeKind::Length ? sizes.bytes : sizes.onDisk;
    return measured;
}

}  // namespace

bool FolderTotals(const std::wstring& folder, const ColumnSettings& settings,
                  CacheConnection& cache, ByteTotals& sizes, uint64_t& error) {
    if (!IsFlagOn(settings.enableCache)) {
        const FolderSizes sum = LocalFolderSum(folder);
        sizes = sum.totals;
        // Failed the way the server fails for a folder that is not there.
        return Answered(sum.measured ? S_OK : kFolderNotThere, error);
    }
    return Answered(cache.FolderSizes(folder, sizes), error);
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

bool ListedFileSizes(const std::wstring& path, ListedFiles& files, ByteTotals& sizes,
                     uint64_t& error) {
    const std::wstring folder(ParentFolder(path));
    const std::u16string name = FoldedKey(ToCore(std::wstring_view(path).substr(
        std::min(path.size(), folder.size() + 1))));
    // A file made since the last listing is looked for in a new one.
    const bool kept = files.folder == folder && Fresh(files.listedAt);
    if ((!kept || !files.byFoldedName.contains(name)) && !ListFiles(folder, files, error)) {
        return false;
    }
    const auto found = files.byFoldedName.find(name);
    if (found == files.byFoldedName.end()) {
        error = ERROR_FILE_NOT_FOUND;
        return false;
    }
    sizes = found->second;
    return true;
}

ItemSizeResult GetItemSize(const std::wstring& path, bool isFolder, SizeKind kind,
                           bool wantParent, const ColumnSettings& settings, CellSources& sources) {
    ItemSizeResult result;
    if (settings.viewStyle == (isFolder ? kFilesOnly : kFoldersOnly)) return result;
    uint64_t error = 0;
    if (!ItemSizes(path, isFolder, kind, settings, sources, result.size, error)) {
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
