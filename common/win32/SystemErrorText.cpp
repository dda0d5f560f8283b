#include "SystemErrorText.h"

#include <cwchar>

namespace trovelle {

std::wstring SystemErrorText(DWORD code) {
    wchar_t text[512] = {};
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, code, 0, text, static_cast<DWORD>(std::size(text)),
                                          nullptr);
    std::wstring message(text, length);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.')) {
        message.pop_back();
    }
    if (message.empty()) {
        wchar_t number[16] = {};
        std::swprintf(number, std::size(number), L"error 0x%08X", static_cast<unsigned>(code));
        message = number;
    }
    return message;
}

}  // namespace trovelle
