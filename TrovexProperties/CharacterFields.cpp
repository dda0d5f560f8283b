#include "CharacterFields.h"

#include <algorithm>

namespace trovelle::properties {
namespace {

wchar_t FoldAscii(wchar_t unit) { return (unit >= L'A' && unit <= L'Z') ? unit + 32 : unit; }

}  // namespace

bool EqualIgnoringAsciiCase(std::wstring_view left, std::wstring_view right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                      [](wchar_t a, wchar_t b) { return FoldAscii(a) == FoldAscii(b); });
}

std::wstring SeparatorText(wchar_t stored, const SeparatorNames& names) {
    if (stored == 0) return names.none;
    if (stored == L' ') return names.space;
    return std::wstring(1, stored);
}

wchar_t SeparatorFromText(std::wstring_view text, const SeparatorNames& names) {
    if (EqualIgnoringAsciiCase(text, names.none)) return 0;
    if (EqualIgnoringAsciiCase(text, names.space)) return L' ';
    return FirstCharacter(text);
}

std::wstring SymbolText(wchar_t stored) {
    return stored == 0 ? std::wstring() : std::wstring(1, stored);
}

wchar_t FirstCharacter(std::wstring_view text) { return text.empty() ? 0 : text.front(); }

}  // namespace trovelle::properties
