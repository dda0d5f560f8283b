#include "text/SizePadding.h"

namespace trovelle {
namespace {
constexpr size_t kPaddedWidth = 20;
}

bool PadsSizeTexts(WindowsVersion version) {
    return version.major < 5 || version.minor == 0;
}

std::u16string PadSizeText(std::u16string_view text, WindowsVersion version) {
    if (!PadsSizeTexts(version) || text.size() >= kPaddedWidth) return std::u16string(text);
    std::u16string padded(kPaddedWidth - text.size(), u' ');
    padded += text;
    return padded;
}

}  // namespace trovelle
