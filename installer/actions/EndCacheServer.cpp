// The package's custom action: before the installer checks for files in use, a running cache
// server of this installation is ended, so that an upgrade or a removal never finds
// TrovexCache.exe busy. The server keeps nothing on disk; COM starts it again on demand.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>

#include "RunningPrograms.h"

namespace {

constexpr wchar_t kFolderProperty[] = L"productFolder";
constexpr DWORD kAskMs = 8000;       // the server leaves its loop, revokes its class, pauses 1 s
constexpr DWORD kTerminateMs = 5000;

std::wstring Property(MSIHANDLE install, const wchar_t* name) {
    DWORD length = 0;
    wchar_t empty[1] = {};
    if (::MsiGetPropertyW(install, name, empty, &length) != ERROR_MORE_DATA) return {};
    std::wstring value(++length, L'\0');
    if (::MsiGetPropertyW(install, name, value.data(), &length) != ERROR_SUCCESS) return {};
    value.resize(length);
    return value;
}

// A line in the installer's log (msiexec /l*v).
void Log(MSIHANDLE install, const std::wstring& text) {
    PMSIHANDLE record = ::MsiCreateRecord(0);
    ::MsiRecordSetStringW(record, 0, text.c_str());
    ::MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
}

}  // namespace

extern "C" UINT __stdcall EndCacheServer(MSIHANDLE install) {
    const std::wstring folder = Property(install, kFolderProperty);
    if (folder.empty()) {
        Log(install, L"EndCacheServer: the installation folder is not known; nothing ended");
        return ERROR_SUCCESS;
    }
    const trovelle::installer::EndResult result = trovelle::installer::EndRunningPrograms(
        folder, L"TrovexCache.exe", kAskMs, kTerminateMs);
    Log(install, L"EndCacheServer: " + std::to_wstring(result.asked) + L" ended when asked, " +
                     std::to_wstring(result.terminated) + L" terminated, " +
                     std::to_wstring(result.left) + L" still running");
    return ERROR_SUCCESS;
}
