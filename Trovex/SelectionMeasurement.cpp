#include "SelectionMeasurement.h"

#include <algorithm>

#include "CacheConnection.h"
#include "index/FolderKey.h"
#include "ItemSize.h"
#include "settings/Settings.h"
#include "WideText.h"
#include "Win32DirectoryLister.h"
#include "Win32FileSystem.h"

namespace trovelle {
namespace {

using Kind = MeasureFailure::Kind;

class Measurer {
public:
    Measurer(const ColumnSettings& settings, const std::atomic<bool>& cancelled)
        : settings_(settings), cancelled_(cancelled) {}

    SelectionMeasurement Run(const std::vector<std::wstring>& paths) {
        for (const std::wstring& given : paths) {
            if (!Measure(WithoutTrailingSeparator(given), paths.size() == 1)) break;
        }
        if (result_.failure.kind != Kind::None) {
            // No part of a total: what is shown must never leave something out.
            result_.total = {};
            result_.largest.clear();
        }
        return std::move(result_);
    }

private:
    bool Fail(Kind kind, const std::wstring& path, uint64_t code) {
        result_.failure = {kind, path, static_cast<uint32_t>(code)};
        return false;
    }

    // A folder gone while it was measured cannot be read; any other failure is the server's.
    bool FailFolder(const std::wstring& path, HRESULT hr) {
        if (hr == kFolderNotThere) return Fail(Kind::Unreadable, path, ERROR_PATH_NOT_FOUND);
        return Fail(Kind::CacheServer, path, static_cast<uint32_t>(hr));
    }

    bool Measure(const std::wstring& path, bool alone) {
        if (cancelled_) return Fail(Kind::Cancelled, path, 0);
        // A drive root is asked for as "D:\": "D:" alone names the drive's current folder.
        const std::wstring probe = path.size() == 2 ? path + L"\\" : path;
        const DWORD attributes = ::GetFileAttributesW(LongPathForm(probe).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return Fail(Kind::Unreadable, path, ::GetLastError());
        ByteTotals sizes;
        uint64_t error = 0;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            if (!ListedFileSizes(probe, files_, sizes, error)) return Fail(Kind::Unreadable, path, error);
            ++result_.files;
            result_.total = AddCapped(result_.total, sizes);
            return true;
        }
        ++result_.folders;
        // The folder is listed first: a total of one that cannot be listed would be a wrong 0.
        std::vector<DirectoryEntry> entries;
        if (!lister_.List(ToCore(path), entries)) {
            // The lister returns at once when its first read fails, so the error is still there.
            return Fail(Kind::Unreadable, path, ::GetLastError());
        }
        // One folder alone: its subfolders' totals come in the same round trip as its own.
        SubfolderTotals known;
        if (alone && IsFlagOn(settings_.enableCache)) {
            const HRESULT hr = cache_.FolderAndSubfolderSizes(path, path, sizes, known);
            if (FAILED(hr)) return FailFolder(path, hr);
        } else if (!FolderTotals(path, settings_, cache_, sizes, error)) {
            return FailFolder(path, static_cast<HRESULT>(error));
        }
        result_.total = AddCapped(result_.total, sizes);
        return !alone || MeasureLargest(path, entries, known);
    }

    bool MeasureLargest(const std::wstring& folder, const std::vector<DirectoryEntry>& entries,
                        const SubfolderTotals& known) {
        std::vector<SizedItem> items;
        for (const DirectoryEntry& entry : entries) {
            if (entry.name == u"." || entry.name == u"..") continue;
            if (cancelled_) return Fail(Kind::Cancelled, folder, 0);
            SizedItem item{ToWide(entry.name), entry.isFolder, {entry.size, entry.allocation}};
            if (item.isFolder && !SubfolderSizes(folder, entry.name, known, item.size)) return false;
            items.push_back(std::move(item));
        }
        std::vector<SizedItem> largest = LargestBy(items, false, kLargestItemsShown);
        for (SizedItem& item : LargestBy(std::move(items), true, kLargestItemsShown)) {
            const auto same = [&](const SizedItem& kept) { return kept.name == item.name; };
            if (std::none_of(largest.begin(), largest.end(), same)) largest.push_back(std::move(item));
        }
        result_.largest = std::move(largest);
        return true;
    }

    // A subfolder's totals from the shared answer; one the server did not know then (a drive it
    // does not keep, a folder still settling) is asked for on its own.
    bool SubfolderSizes(const std::wstring& folder, const std::u16string& name,
                        const SubfolderTotals& known, ByteTotals& sizes) {
        const auto found = known.byFoldedName.find(FoldedKey(name));
        if (found != known.byFoldedName.end()) {
            sizes = found->second;
            return true;
        }
        const std::wstring path = folder + L"\\" + ToWide(name);
        uint64_t error = 0;
        return FolderTotals(path, settings_, cache_, sizes, error) ||
               FailFolder(path, static_cast<HRESULT>(error));
    }

    const ColumnSettings& settings_;
    const std::atomic<bool>& cancelled_;
    Win32DirectoryLister lister_;
    CacheConnection cache_;
    ListedFiles files_;
    SelectionMeasurement result_;
};

}  // namespace

std::vector<SizedItem> LargestBy(std::vector<SizedItem> items, bool onDisk, size_t count) {
    const auto key = [onDisk](const SizedItem& item) { return onDisk ? item.size.onDisk : item.size.bytes; };
    const size_t shown = std::min(items.size(), count);
    std::partial_sort(items.begin(), items.begin() + shown, items.end(),
                      [&](const SizedItem& a, const SizedItem& b) { return key(a) > key(b); });
    items.resize(shown);
    return items;
}

std::wstring WithoutTrailingSeparator(std::wstring path) {
    while (path.size() > 2 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

SelectionMeasurement MeasureSelection(const std::vector<std::wstring>& paths,
                                      const ColumnSettings& settings,
                                      const std::atomic<bool>& cancelled) {
    return Measurer(settings, cancelled).Run(paths);
}

}  // namespace trovelle
