#include "RegistrySnapshot.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "UniqueHandle.h"

namespace trovelle::test {
namespace {

std::wstring ValueText(DWORD type, const std::vector<BYTE>& data, DWORD size) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        return text;
    }
    std::wstring text = L"type " + std::to_wstring(type) + L":";
    for (DWORD i = 0; i < size; ++i) {
        wchar_t hex[4];
        std::swprintf(hex, 4, L"%02x", data[i]);
        text += hex;
    }
    return text;
}

void Walk(HKEY parent, const std::wstring& name, const std::wstring& path,
          RegistrySnapshot& lines) {
    UniqueRegistryKey key;
    if (::RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return;
    DWORD subkeys = 0, values = 0, longestName = 0, longestValueName = 0, longestData = 0;
    if (::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, &longestName, nullptr,
                           &values, &longestValueName, &longestData, nullptr,
                           nullptr) != ERROR_SUCCESS) {
        return;
    }
    std::vector<wchar_t> valueName(longestValueName + 2);
    std::vector<BYTE> data(longestData + 2);
    for (DWORD i = 0; i < values; ++i) {
        DWORD nameLength = static_cast<DWORD>(valueName.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (::RegEnumValueW(key.Get(), i, valueName.data(), &nameLength, nullptr, &type,
                            data.data(), &size) != ERROR_SUCCESS) {
            continue;
        }
        lines.insert(path + L"|" + std::wstring(valueName.data(), nameLength) + L"=" +
                     ValueText(type, data, size));
    }
    if (subkeys == 0 && values == 0) lines.insert(path + L"|");
    std::vector<wchar_t> subkeyName(longestName + 2);
    for (DWORD i = 0; i < subkeys; ++i) {
        DWORD length = static_cast<DWORD>(subkeyName.size());
        if (::RegEnumKeyExW(key.Get(), i, subkeyName.data(), &length, nullptr, nullptr, nullptr,
                            nullptr) != ERROR_SUCCESS) {
            continue;
        }
        const std::wstring child(subkeyName.data(), length);
        Walk(key.Get(), child, path + L"\\" + child, lines);
    }
}

std::wstring Upper(std::wstring text) {
    ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

}  // namespace

RegistrySnapshot TakeRegistrySnapshot() {
    RegistrySnapshot lines;
    Walk(HKEY_LOCAL_MACHINE, L"Software", L"HKLM\\Software", lines);
    Walk(HKEY_CURRENT_USER, L"Software", L"HKCU\\Software", lines);
    return lines;
}

std::vector<std::wstring> Added(const RegistrySnapshot& before, const RegistrySnapshot& after) {
    std::vector<std::wstring> added;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(added));
    return added;
}

std::vector<std::wstring> Without(const std::vector<std::wstring>& lines,
                                  const std::vector<std::wstring>& prefixes) {
    std::vector<std::wstring> kept;
    for (const std::wstring& line : lines) {
        const std::wstring upper = Upper(line);
        const bool excluded =
            std::any_of(prefixes.begin(), prefixes.end(), [&](const std::wstring& prefix) {
                return upper.compare(0, prefix.size(), Upper(prefix)) == 0;
            });
        if (!excluded) kept.push_back(line);
    }
    return kept;
}

}  // namespace trovelle::test
