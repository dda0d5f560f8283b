// Standard output or standard error as the program writes to it: wide text on a console, so
// that every name shows as it is, and UTF-8 bytes to a file or a pipe.
#pragma once

#include <windows.h>

#include <string_view>

namespace trovelle::sizes {

class ConsoleStream {
public:
    explicit ConsoleStream(DWORD standardHandle);

    // ERROR_SUCCESS, or why the text could not be written whole (ERROR_NO_DATA or
    // ERROR_BROKEN_PIPE for a reader that went away).
    DWORD Write(std::string_view utf8);

private:
    DWORD WriteToConsole(std::string_view utf8);

    HANDLE handle_;
    bool console_ = false;
};

}  // namespace trovelle::sizes
