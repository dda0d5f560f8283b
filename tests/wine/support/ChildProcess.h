// Windows programs the tests start and wait for.
#pragma once

#include <windows.h>

#include <string>

#include "UniqueHandle.h"

namespace trovelle::test {

struct ChildProcess {
    UniqueKernelHandle process;
    DWORD mainThread = 0;
};

// Starts `program` with `arguments`; an empty process handle when it could not be started.
ChildProcess StartChild(const std::wstring& program, const std::wstring& arguments);

// Waits up to `milliseconds` and returns the exit code, or 0xFFFFFFFF if it did not end.
DWORD WaitForExitCode(HANDLE process, DWORD milliseconds);

// A program in the folder of the running test program.
std::wstring BesideThisProgram(const wchar_t* fileName);

}  // namespace trovelle::test
