#include "ChildProcess.h"

namespace trovelle::test {

ChildProcess StartChild(const std::wstring& program, const std::wstring& arguments) {
    std::wstring line = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    ChildProcess child;
    if (::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         nullptr, &startup, &started)) {
        ::CloseHandle(started.hThread);
        child.process.Reset(started.hProcess);
        child.mainThread = started.dwThreadId;
    }
    return child;
}

DWORD WaitForExitCode(HANDLE process, DWORD milliseconds) {
    if (process == nullptr || ::WaitForSingleObject(process, milliseconds) != WAIT_OBJECT_0) {
        return 0xFFFFFFFF;
    }
    DWORD code = 0xFFFFFFFF;
    ::GetExitCodeProcess(process, &code);
    return code;
}

std::wstring BesideThisProgram(const wchar_t* fileName) {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L'\\') + 1);
    return folder + fileName;
}

}  // namespace trovelle::test
