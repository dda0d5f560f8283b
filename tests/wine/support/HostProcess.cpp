#include "HostProcess.h"

#include <commctrl.h>

#include <algorithm>

namespace trovelle::test {

HostProcess::HostProcess(const std::wstring& hostPath, const std::wstring& folder) {
    std::wstring command = L"\"" + hostPath + L"\" --window \"" + folder + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(hostPath.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &started)) {
        return;
    }
    process_.Reset(started.hProcess);
    ::CloseHandle(started.hThread);
    processId_ = started.dwProcessId;
    for (int waited = 0; waited < 15000 && window_ == nullptr; waited += 50) {
        window_ = FindOwnWindow();
        if (window_ == nullptr) ::Sleep(50);
    }
}

HostProcess::~HostProcess() {
    if (!process_) return;
    if (::IsWindow(window_)) ::PostMessageW(window_, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process_.Get(), 10000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process_.Get(), 9);
    }
}

DWORD HostProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process_.Get(), &code);
    return code;
}

HWND HostProcess::Child(const wchar_t* className, const wchar_t* title) const {
    struct Search { const wchar_t* className; const wchar_t* title; HWND found; };
    Search search{className, title, nullptr};
    ::EnumChildWindows(window_, [](HWND child, LPARAM parameter) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(parameter);
        wchar_t name[64] = {}, text[64] = {};
        ::GetClassNameW(child, name, 64);
        ::GetWindowTextW(child, text, 64);
        if (_wcsicmp(name, s.className) == 0 && (s.title == nullptr || wcscmp(text, s.title) == 0)) {
            s.found = child;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND HostProcess::WaitForChild(const wchar_t* className, const wchar_t* title) const {
    HWND child = Child(className, title);
    for (int waited = 0; waited < 5000 && child == nullptr; waited += 50) {
        ::Sleep(50);
        child = Child(className, title);
    }
    return child;
}

std::wstring HostProcess::Cell(HWND list, int row, int column) const {
    const UniqueKernelHandle process(::OpenProcess(
        PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId_));
    if (!process) return L"<no access>";
    constexpr SIZE_T kChars = 260;
    BYTE* remote = static_cast<BYTE*>(::VirtualAllocEx(
        process.Get(), nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t),
        MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (remote == nullptr) return L"<no memory>";
    LVITEMW item = {};
    item.iSubItem = column;
    item.cchTextMax = kChars;
    item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
    ::WriteProcessMemory(process.Get(), remote, &item, sizeof(item), nullptr);
    const LRESULT length =
        ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
    wchar_t text[kChars] = {};
    ::ReadProcessMemory(process.Get(), remote + sizeof(LVITEMW), text, sizeof(text), nullptr);
    ::VirtualFreeEx(process.Get(), remote, 0, MEM_RELEASE);
    return std::wstring(text, static_cast<size_t>(std::min<LRESULT>(length, kChars - 1)));
}

HWND HostProcess::FindOwnWindow() const {
    for (HWND window = ::FindWindowExW(nullptr, nullptr, L"TrovelleDetailsHost", nullptr);
         window != nullptr;
         window = ::FindWindowExW(nullptr, window, L"TrovelleDetailsHost", nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == processId_) return window;
    }
    return nullptr;
}

}  // namespace trovelle::test
