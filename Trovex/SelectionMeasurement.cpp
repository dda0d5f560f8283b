#include "SelectionMeasurement.h"

#include <algorithm>

#include "CacheConnection.h"
#include "ItemSize.h"
#include "WideText.h"
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
            result_.total = 0;
            result_.largest.clear();
        }
        return std::move(result_);
    }

private:
    bool Fail(Kind kind, const std::wstring& path, uint64_t code) {
        result_.failure = {kind, path, static_cast<uint32_t>(code)};
        return false;
    }

    bool Measure(const std::wstring& path, bool alone) {
        if (cancelled_) return Fail(Kind::Cancelled, path, 0);
        // A drive root is asked for as "D:\": "D:" alone names the drive's current folder.
        const std::wstring probe = path.size() == 2 ? path + L"\\" : path;
        const DWORD attributes = ::GetFileAttributesW(LongPathForm(probe).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return Fail(Kind::Unreadable, path, ::GetLastError());
        uint64_t size = 0;
        uint64_t error = 0;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            if (!FileLength(probe, size, error)) return Fail(Kind::Unreadable, path, error);
            ++result_.files;
            result_.total += size;
            return true;
        }
        ++result_.folders;
        // The folder is listed first: a total of one that cannot be listed would be a wrong 0.
        std::vector<DirectoryEntry> entries;
        if (!lister_.List(ToCore(path), entries)) {
            // The lister returns at once when its first find fails, so the error is still there.
            return Fail(Kind::Unreadable, path, ::GetLastError());
        }
        if (!FolderTotal(path, settings_, cache_, size, error)) {
            return Fail(Kind::CacheServer, path, error);
        }
        result_.total += size;
        return !alone || MeasureLargest(path, entries);
    }

    bool MeasureLargest(const std::wstring& folder, const std::vector<DirectoryEntry>& entries) {
        std::vector<SizedItem> items;
        for (const DirectoryEntry& entry : entries) {
            if (entry.name == u"." || entry.name == u"..") continue;
            if (cancelled_) return Fail(Kind::Cancelled, folder, 0);
            SizedItem item{ToWide(entry.name), entry.isFolder, entry.size};
            uint64_t error = 0;
            if (item.isFolder &&
                !FolderTotal(folder + L"\\" + item.name, settings_, cache_, item.size, error)) {
                return Fail(Kind::CacheServer, folder + L"\\" + item.name, error);
            }
            items.push_back(std::move(item));
        }
        const size_t shown = std::min(items.size(), kLargestItemsShown);
        std::partial_sort(items.begin(), items.begin() + shown, items.end(),
                          [](const SizedItem& a, const SizedItem& b) { return a.size > b.size; });
        items.resize(shown);
        result_.largest = std::move(items);
        return true;
    }

    const ColumnSettings& settings_;
    const std::atomic<bool>& cancelled_;
    Win32DirectoryLister lister_;
    CacheConnection cache_;
    SelectionMeasurement result_;
};

}  // namespace

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
