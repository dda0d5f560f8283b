// Right-aligning the size and sort columns' texts on the Windows versions that need it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace trovelle {

struct WindowsVersion {
    uint32_t major = 0;
    uint32_t minor = 0;
};

// Major below 5 or minor 0 (5.0 and 6.0 among them) gets padded; 5.1, 5.2, 6.1 ... do not.
bool PadsSizeTexts(WindowsVersion version);

// `text` right-aligned in 20 units with spaces where the version needs it; texts of 20 units
// or more, and every text on other versions, come back unchanged.
std::u16string PadSizeText(std::u16string_view text, WindowsVersion version);

}  // namespace trovelle
