// The two one-character fields (digit-group separator, bar symbol): what they show and store.
#pragma once

#include <string>
#include <string_view>

namespace trovelle::properties {

// The names the separator list uses for "no grouping" and for the blank.
struct SeparatorNames {
    std::wstring none;   // "Don't use"
    std::wstring space;  // "Space"
};

// The field text of a stored separator: the list's names for 0 and for a blank, else itself.
std::wstring SeparatorText(wchar_t stored, const SeparatorNames& names);
// The stored separator of a field text: 0 and a blank for the names (ASCII case ignored),
// otherwise the first character, 0 when empty.
wchar_t SeparatorFromText(std::wstring_view text, const SeparatorNames& names);

// The field text of a stored bar symbol (empty for 0) and the symbol of a field text.
std::wstring SymbolText(wchar_t stored);
wchar_t FirstCharacter(std::wstring_view text);

bool EqualIgnoringAsciiCase(std::wstring_view left, std::wstring_view right);

}  // namespace trovelle::properties
