// A system error code as the system words it, for messages that tell the user what failed.
#pragma once

#include <windows.h>

#include <string>

namespace trovelle {

// "File not found": the system's text without its closing full stop and line break, or
// "error 0x%08X" when the system has none.
std::wstring SystemErrorText(DWORD code);

}  // namespace trovelle
