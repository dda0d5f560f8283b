// UTF-16 text as UTF-8 bytes, for what is written to files and pipes.
#pragma once

#include <string>
#include <string_view>

namespace trovelle {

// A lone surrogate, which file names may hold but UTF-8 cannot carry, becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// Whether `unit` is the first or the second half of a surrogate pair.
inline bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace trovelle
