#include "ConsoleStream.h"

#include <algorithm>
#include <string>

namespace trovelle::sizes {
namespace {

// Pieces small enough for every console host to take in one call.
constexpr size_t kConsolePiece = 8192;
constexpr size_t kFilePiece = size_t{1} << 30;

DWORD LastErrorOr(DWORD fallback) {
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : fallback;
}

}  // namespace

ConsoleStream::ConsoleStream(DWORD standardHandle) : handle_(::GetStdHandle(standardHandle)) {
    DWORD mode = 0;
    console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle_, &mode);
}

DWORD ConsoleStream::Write(std::string_view utf8) {
    if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    if (console_) return WriteToConsole(utf8);
    while (!utf8.empty()) {
        const DWORD piece = static_cast<DWORD>(std::min(utf8.size(), kFilePiece));
        DWORD written = 0;
        if (!::WriteFile(handle_, utf8.data(), piece, &written, nullptr)) return LastErrorOr(ERROR_WRITE_FAULT);
        if (written == 0) return ERROR_WRITE_FAULT;
        utf8.remove_prefix(written);
    }
    return ERROR_SUCCESS;
}

DWORD ConsoleStream::WriteToConsole(std::string_view utf8) {
    if (utf8.empty()) return ERROR_SUCCESS;
    // The text is whole UTF-8 (the report's own encoding), so it converts back without loss.
    const int size = static_cast<int>(std::min<size_t>(utf8.size(), INT_MAX));
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    if (units <= 0) return LastErrorOr(ERROR_NO_UNICODE_TRANSLATION);
    std::wstring wide(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), units);
    for (size_t at = 0; at < wide.size();) {
        const DWORD piece = static_cast<DWORD>(std::min(wide.size() - at, kConsolePiece));
        DWORD written = 0;
        if (!::WriteConsoleW(handle_, wide.data() + at, piece, &written, nullptr)) {
            return LastErrorOr(ERROR_WRITE_FAULT);
        }
        if (written == 0) return ERROR_WRITE_FAULT;
        at += written;
    }
    return ERROR_SUCCESS;
}

}  // namespace trovelle::sizes
