#include "ChildProcess.h"

namespace trovelle::test {

namespace {

ChildProcess Start(const std::wstring& program, const std::wstring& arguments,
                   STARTUPINFOW& startup, bool inherit) {
    std::wstring line = L"\"" + program + L"\" " + arguments;
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    ChildProcess child;
    if (::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, inherit, 0, nullptr,
                         nullptr, &startup, &started)) {
        ::CloseHandle(started.hThread);
        child.process.Reset(started.hProcess);
        child.mainThread = started.dwThreadId;
    }
    return child;
}

// A file the child writes its output into, removed once closed.
UniqueKernelHandle OutputFile() {
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    ::GetTempPathW(MAX_PATH, folder);
    ::GetTempFileNameW(folder, L"out", 0, path);
    SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
    return UniqueKernelHandle(::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                            &inherited, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

std::string ReadFromStart(HANDLE file) {
    std::string text;
    ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
    return text;
}

}  // namespace

ChildProcess StartChild(const std::wstring& program, const std::wstring& arguments) {
    STARTUPINFOW startup{};
    return Start(program, arguments, startup, false);
}

ChildProcess StartChildWithOutput(const std::wstring& program, const std::wstring& arguments,
                                  HANDLE out, HANDLE errors) {
    STARTUPINFOW startup{};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = out;
    startup.hStdError = errors;
    return Start(program, arguments, startup, true);
}

ProgramOutput RunForOutput(const std::wstring& program, const std::wstring& arguments,
                           DWORD milliseconds, HANDLE out) {
    const UniqueKernelHandle outFile = out == nullptr ? OutputFile() : UniqueKernelHandle();
    const UniqueKernelHandle errors = OutputFile();
    ProgramOutput output;
    if ((out == nullptr && !outFile) || !errors) return output;
    const ChildProcess child =
        StartChildWithOutput(program, arguments, out != nullptr ? out : outFile.Get(), errors.Get());
    output.exitCode = WaitForExitCode(child.process.Get(), milliseconds);
    if (outFile) output.out = ReadFromStart(outFile.Get());
    output.errors = ReadFromStart(errors.Get());
    return output;
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
