#include "BrowserSettings.h"

#include <cstring>
#include <cwchar>
#include <vector>

#include "ProductNames.h"
#include "SettingsStore.h"
#include "UniqueHandle.h"

namespace trovelle::browser {
namespace {

// The raw bytes of one of this program's values, empty when it is missing.
std::vector<BYTE> ReadValue(const wchar_t* name, DWORD type) {
    const UniqueRegistryKey key = OpenUserKey(kBrowserKeyPath, KEY_QUERY_VALUE, false);
    if (!key) return {};
    DWORD storedType = 0, size = 0;
    if (::RegQueryValueExW(key.Get(), name, nullptr, &storedType, nullptr, &size) !=
            ERROR_SUCCESS ||
        storedType != type) {
        return {};
    }
    std::vector<BYTE> bytes(size);
    if (::RegQueryValueExW(key.Get(), name, nullptr, nullptr, bytes.data(), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    bytes.resize(size);
    return bytes;
}

// Text as stored (REG_SZ or REG_MULTI_SZ), whatever terminators the bytes carry or lack.
std::wstring ReadText(const wchar_t* name, DWORD type) {
    const std::vector<BYTE> bytes = ReadValue(name, type);
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

void WriteValue(HKEY key, const wchar_t* name, DWORD type, const void* data, size_t bytes) {
    ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(bytes));
}

// The strings of a REG_MULTI_SZ value.
std::vector<std::wstring> ReadStrings(const wchar_t* name) {
    std::vector<std::wstring> strings;
    const std::wstring text = ReadText(name, REG_MULTI_SZ);
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find(L'\0', start), text.size());
        if (end > start) strings.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return strings;
}

void WriteStrings(HKEY key, const wchar_t* name, const std::vector<std::wstring>& strings) {
    std::wstring list;
    for (const std::wstring& string : strings) {
        list += string;
        list += L'\0';
    }
    list += L'\0';
    WriteValue(key, name, REG_MULTI_SZ, list.data(), list.size() * sizeof(wchar_t));
}

}  // namespace

std::optional<std::wstring> ReadLastFolder() {
    std::wstring folder = ReadText(kLastFolderValue, REG_SZ);
    if (folder.empty() || folder.find(L'\0') != std::wstring::npos) return std::nullopt;
    return folder;
}

std::optional<WINDOWPLACEMENT> ReadPlacement() {
    const std::vector<BYTE> bytes = ReadValue(kPlacementValue, REG_BINARY);
    WINDOWPLACEMENT placement = {};
    if (bytes.size() != sizeof(placement)) return std::nullopt;
    std::memcpy(&placement, bytes.data(), sizeof(placement));
    const RECT& normal = placement.rcNormalPosition;
    if (placement.length != sizeof(placement) || normal.right - normal.left < 200 ||
        normal.bottom - normal.top < 150 ||
        ::MonitorFromRect(&normal, MONITOR_DEFAULTTONULL) == nullptr) {
        return std::nullopt;  // damaged, or on a monitor that is gone
    }
    return placement;
}

ColumnWidths ReadColumnWidths() {
    ColumnWidths widths;
    // "name=width" strings, one per column.
    for (const std::wstring& entry : ReadStrings(kColumnWidthsValue)) {
        const size_t equals = entry.rfind(L'=');
        if (equals != std::wstring::npos && equals > 0) {
            const int width = static_cast<int>(std::wcstol(entry.c_str() + equals + 1, nullptr, 10));
            if (width > 0 && width < 4000) widths[entry.substr(0, equals)] = width;
        }
    }
    return widths;
}

std::optional<int> ReadTreeWidth() {
    const std::vector<BYTE> bytes = ReadValue(kTreeWidthValue, REG_DWORD);
    DWORD width = 0;
    if (bytes.size() != sizeof(width)) return std::nullopt;
    std::memcpy(&width, bytes.data(), sizeof(width));
    if (width < 40 || width > 4000) return std::nullopt;
    return static_cast<int>(width);
}

std::set<std::wstring> ReadShownHandlerColumns() {
    const std::vector<std::wstring> ids = ReadStrings(kHandlerColumnsValue);
    return {ids.begin(), ids.end()};
}

void SaveShownHandlerColumns(const std::set<std::wstring>& ids) {
    const UniqueRegistryKey key = OpenUserKey(kBrowserKeyPath, KEY_SET_VALUE, true);
    if (key) WriteStrings(key.Get(), kHandlerColumnsValue, {ids.begin(), ids.end()});
}

// Earlier versions kept the window's values in the settings key, whose values every column
// handler watches: they are taken out once, so that no save there wakes the handlers again.
void RemoveValuesFromTheSettingsKey() {
    // A missing settings key holds none; it is not made for this.
    const SettingsKey settings = SettingsKey::OpenExisting(KEY_SET_VALUE);
    if (!settings) return;
    for (const wchar_t* name : {kLastFolderValue, kPlacementValue, kColumnWidthsValue}) {
        ::RegDeleteValueW(settings.Handle(), name);  // one that is not there changes nothing
    }
}

void SaveBrowserState(const std::wstring& folder, const WINDOWPLACEMENT& placement,
                      const ColumnWidths& widths, int treeWidth) {
    RemoveValuesFromTheSettingsKey();
    const UniqueRegistryKey key = OpenUserKey(kBrowserKeyPath, KEY_SET_VALUE, true);
    if (!key) return;
    WriteValue(key.Get(), kLastFolderValue, REG_SZ, folder.c_str(),
               (folder.size() + 1) * sizeof(wchar_t));
    WriteValue(key.Get(), kPlacementValue, REG_BINARY, &placement, sizeof(placement));
    const DWORD width = static_cast<DWORD>(treeWidth);
    WriteValue(key.Get(), kTreeWidthValue, REG_DWORD, &width, sizeof(width));
    std::vector<std::wstring> entries;
    for (const auto& [name, width] : widths) entries.push_back(name + L"=" + std::to_wstring(width));
    WriteStrings(key.Get(), kColumnWidthsValue, entries);
}

}  // namespace trovelle::browser
