#include "ColumnCell.h"

#include <cstdio>

#include "ColumnTable.h"
#include "ItemSize.h"
#include "text/PercentText.h"
#include "text/SizeText.h"
#include "WideText.h"

namespace trovelle {
namespace {

std::wstring ErrorText(uint64_t code) {
    wchar_t text[32];
    std::swprintf(text, std::size(text), L"Error code: 0x%X", static_cast<uint32_t>(code));
    return text;
}

std::wstring Padded(std::wstring_view text, WindowsVersion version) {
    return ToWide(PadSizeText(ToCore(text), version));
}

// The size columns and their sort columns: the formatted text, or the byte count to sort by.
std::optional<std::wstring> SizeCell(SizeKind kind, bool sortText, const CellItem& item,
                                     const ColumnSettings& settings, WindowsVersion version,
                                     CellSources& sources) {
    const ItemSizeResult size = GetItemSize(item.path, item.isFolder, kind, false, settings, sources);
    if (!size.succeeded) {
        if (size.size == 0) return std::nullopt;
        return ErrorText(size.size);
    }
    if (sortText) return Padded(std::to_wstring(size.size), version);
    const std::optional<std::u16string> text = FormatSizeText(size.size, settings.SizeText());
    if (!text) return std::nullopt;  // an unknown ViewMetric shows no size
    return Padded(ToWide(*text), version);
}

std::optional<std::wstring> PercentCell(const CellItem& item, const ColumnSettings& settings,
                                        CellSources& sources) {
    const ItemSizeResult size =
        GetItemSize(item.path, item.isFolder, SizeKind::Length, true, settings, sources);
    if (!size.succeeded) return std::nullopt;  // never an error text in this column
    return ToWide(FormatPercentText(size.size, size.parentSize, settings.PercentText()));
}

}  // namespace

std::optional<std::wstring> CellText(DWORD pid, const CellItem& item,
                                     const ColumnSettings& settings, WindowsVersion version,
                                     CellSources& sources) {
    switch (pid) {
        case kSizePid:
        case kSortPid:
            return SizeCell(SizeKind::Length, pid == kSortPid, item, settings, version, sources);
        case kOnDiskPid:
        case kOnDiskSortPid:
            return SizeCell(SizeKind::OnDisk, pid == kOnDiskSortPid, item, settings, version, sources);
        case kPercentPid: return PercentCell(item, settings, sources);
        default: return std::nullopt;
    }
}

}  // namespace trovelle
