#include "HtmlHelpViewer.h"

#include "UniqueHandle.h"

namespace trovelle::properties {
namespace {

constexpr wchar_t kHtmlHelpServerKey[] =
    L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr WORD kHtmlHelpOrdinal = 15;

HMODULE LoadRegisteredLibrary() {
    UniqueRegistryKey key;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, kHtmlHelpServerKey, 0, KEY_READ, key.Put()) !=
        ERROR_SUCCESS) {
        return nullptr;
    }
    char path[MAX_PATH + 1] = {};  // one more than read, so the path always ends
    DWORD length = MAX_PATH;
    if (::RegQueryValueExA(key.Get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path),
                           &length) != ERROR_SUCCESS ||
        path[0] == '\0') {
        return nullptr;
    }
    return ::LoadLibraryA(path);
}

}  // namespace

HtmlHelpFunction LocateHtmlHelp() {
    HMODULE library = LoadRegisteredLibrary();
    if (library == nullptr) library = ::LoadLibraryW(L"hhctrl.ocx");
    if (library == nullptr) return nullptr;
    return reinterpret_cast<HtmlHelpFunction>(
        ::GetProcAddress(library, MAKEINTRESOURCEA(kHtmlHelpOrdinal)));
}

HWND HtmlHelpViewer::Show(HWND caller, const wchar_t* path, UINT command, DWORD_PTR data) {
    if (entry_ == nullptr && !failed_) {
        entry_ = locate_();
        failed_ = entry_ == nullptr;
    }
    if (entry_ == nullptr) return nullptr;
    return entry_(caller, path, command, data);
}

HtmlHelpViewer& ProgramHelpViewer() {
    static HtmlHelpViewer viewer;
    return viewer;
}

HWND ShowHtmlHelp(HWND caller, const wchar_t* path, UINT command, DWORD_PTR data) {
    return ProgramHelpViewer().Show(caller, path, command, data);
}

}  // namespace trovelle::properties
