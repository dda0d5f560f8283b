// Names in the order people expect, as Explorer sorts them: without regard to case, and runs
// of digits by their value ("file9" before "file10").
#pragma once

#include <string>
#include <string_view>

namespace trovelle {

// A name prepared for comparing: folded to one case once, so that sorting a large folder
// compares prepared keys only.
std::u16string NaturalKey(std::u16string_view name);

// Negative, 0 or positive as key `a` sorts before, with or after key `b`. Equal values of digit
// runs with different leading zeros sort the shorter run first.
int CompareNaturally(std::u16string_view a, std::u16string_view b);

}  // namespace trovelle
