// Ends the running instances of a program that lies in a given folder, so that an installer can
// replace or remove its file.
#pragma once

#include <windows.h>

#include <string>

namespace trovelle::installer {

struct EndResult {
    int asked = 0;        // instances that ended when asked to quit
    int terminated = 0;   // instances that had to be terminated
    int left = 0;         // instances still running afterwards
};

// Every process whose image is `folder`\`fileName` (compared without regard to case) is asked to
// quit (WM_QUIT to each of its threads, which ends a message loop) and, if it has not ended within
// `askMs`, terminated; the call waits at most `terminateMs` more for each of those.
EndResult EndRunningPrograms(const std::wstring& folder, const std::wstring& fileName,
                             DWORD askMs, DWORD terminateMs);

}  // namespace trovelle::installer
