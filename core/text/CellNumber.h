// The number a column cell shows, so that a list sorts such cells as numbers, not as text.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace trovelle {

// The value of a cell whose text is one whole decimal number, with blanks (padding) around it
// allowed. Anything else (a unit, a sign, a separator, a fraction, no digit at all, a value
// beyond 64 bits) is not such a number.
std::optional<uint64_t> WholeNumberInCell(std::u16string_view text);

}  // namespace trovelle
