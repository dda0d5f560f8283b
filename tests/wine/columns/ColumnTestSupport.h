// Shared helpers of the column handler tests: the installed handler, settings, files, the host.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace trovelle::test {

inline constexpr wchar_t kInstallDir[] = L"C:\\Program Files\\Trovelle Pro";
inline constexpr wchar_t kTrovexClsid[] = L"{40D66076-62FE-4B57-8667-DB802925FBB6}";
inline const CLSID kTrovexFolderSize = {0x40d66076, 0x62fe, 0x4b57,
                                        {0x86, 0x67, 0xdb, 0x80, 0x29, 0x25, 0xfb, 0xb6}};
// The property-sheet handler of the folder page.
inline constexpr wchar_t kFolderPageClsid[] = L"{E8BAFB41-F4E9-4700-8756-E270A5550941}";
inline const CLSID kTrovexFolderProperties = {0xe8bafb41, 0xf4e9, 0x4700,
                                              {0x87, 0x56, 0xe2, 0x70, 0xa5, 0x55, 0x09, 0x41}};

std::wstring TrovexPath();
std::wstring HostPath();

// Settings values written as the settings program writes them, or with any bytes and type.
void ClearSettings();
void StoreInteger(const wchar_t* name, int64_t value);
void StoreCharacter(const wchar_t* name, wchar_t value);
void StoreText(const wchar_t* name, const std::wstring& text);
void StoreRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes);

Microsoft::WRL::ComPtr<IColumnProvider> CreateHandler();

// One cell straight from the handler: nullopt-like "-" for S_FALSE, "=" + text for S_OK.
struct CellAnswer {
    HRESULT result = E_FAIL;
    std::wstring text;
};
CellAnswer AskCell(IColumnProvider& handler, DWORD pid, const std::wstring& path,
                   DWORD attributes);

// Runs the host with `arguments` and returns its output (UTF-8 decoded) and exit code.
struct HostRun {
    DWORD exitCode = ~0u;
    std::wstring output;
};
HostRun RunHost(const std::wstring& arguments);

// The host's --tsv table as rows of fields; row 0 holds the titles.
std::vector<std::vector<std::wstring>> ParseTable(const std::wstring& output);

}  // namespace trovelle::test
