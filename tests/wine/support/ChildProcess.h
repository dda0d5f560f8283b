// Windows programs the tests start and wait for.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "UniqueHandle.h"

namespace trovelle::test {

struct ChildProcess {
    UniqueKernelHandle process;
    DWORD mainThread = 0;
};

// Starts `program` with `arguments`; an empty process handle when it could not be started.
ChildProcess StartChild(const std::wstring& program, const std::wstring& arguments);

// Starts `program` with its standard output and error going to `out` and `errors`, handles the
// child inherits.
ChildProcess StartChildWithOutput(const std::wstring& program, const std::wstring& arguments,
                                  HANDLE out, HANDLE errors);

// What a console program wrote to its standard output and error (read from files), and its
// exit code (0xFFFFFFFF when it did not end within the time given). With `out` given, standard
// output goes there instead and is not read.
struct ProgramOutput {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string errors;
};
ProgramOutput RunForOutput(const std::wstring& program, const std::wstring& arguments,
                           DWORD milliseconds, HANDLE out = nullptr);

// Waits up to `milliseconds` and returns the exit code, or 0xFFFFFFFF if it did not end.
DWORD WaitForExitCode(HANDLE process, DWORD milliseconds);

// A program in the folder of the running test program.
std::wstring BesideThisProgram(const wchar_t* fileName);

}  // namespace trovelle::test
