// The core speaks char16_t, Win32 speaks wchar_t; on Windows both are UTF-16 code units.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "text/Utf8Text.h"

namespace trovelle {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16");

inline std::u16string ToCore(std::wstring_view text) {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

inline std::wstring ToWide(std::u16string_view text) {
    return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}

inline const wchar_t* AsWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

// The same units seen as the core's, without a copy (for comparing, not keeping).
inline std::u16string_view AsCore(std::wstring_view text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

// UTF-8 for logs, test messages and files.
inline std::string ToUtf8(std::wstring_view text) { return ToUtf8(AsCore(text)); }

}  // namespace trovelle
