// The size of the text every column cell is built in.
#pragma once

#include <cstddef>

namespace trovelle {

// Cell texts live in a buffer of 260 UTF-16 units, terminator included.
inline constexpr size_t kCellTextCapacity = 260;
inline constexpr size_t kMaxCellTextLength = kCellTextCapacity - 1;

}  // namespace trovelle
