// The Details-view host's window mode, started and worked from a test: its window, its children
// (the list, the docked bands' controls) and the texts of its list's cells.
#pragma once

#include <windows.h>

#include <string>

#include "UniqueHandle.h"

namespace trovelle::test {

// The host process with its window; closed and waited for at the end.
class HostProcess {
public:
    // Starts `hostPath` --window on `folder` and waits (bounded) for its window.
    HostProcess(const std::wstring& hostPath, const std::wstring& folder);
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    HWND Window() const { return window_; }
    HANDLE Process() const { return process_.Get(); }
    DWORD ExitCode() const;

    // The first child window of the class (and title, unless nullptr).
    HWND Child(const wchar_t* className, const wchar_t* title) const;
    // The host window exists from the start of its creation; its list and bands follow.
    HWND WaitForChild(const wchar_t* className, const wchar_t* title) const;
    // The text of a list view cell, read through memory lent in the host's process.
    std::wstring Cell(HWND list, int row, int column) const;

private:
    HWND FindOwnWindow() const;

    UniqueKernelHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

}  // namespace trovelle::test
