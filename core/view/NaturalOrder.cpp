#include "view/NaturalOrder.h"

#include "index/FolderKey.h"

namespace trovelle {
namespace {

bool IsDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

// The digit run starting at `at`, its end, and the run without leading zeros.
std::u16string_view DigitRun(std::u16string_view text, size_t at, size_t& end) {
    end = at;
    while (end < text.size() && IsDigit(text[end])) ++end;
    size_t first = at;
    while (first + 1 < end && text[first] == u'0') ++first;
    return text.substr(first, end - first);
}

}  // namespace

std::u16string NaturalKey(std::u16string_view name) { return FoldedKey(name); }

int CompareNaturally(std::u16string_view a, std::u16string_view b) {
    size_t i = 0, j = 0;
    int zeros = 0;  // the first difference in leading zeros, for runs of equal value
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            size_t endA = 0, endB = 0;
            const std::u16string_view runA = DigitRun(a, i, endA), runB = DigitRun(b, j, endB);
            if (runA.size() != runB.size()) return runA.size() < runB.size() ? -1 : 1;
            if (const int digits = runA.compare(runB); digits != 0) return digits < 0 ? -1 : 1;
            if (zeros == 0 && endA - i != endB - j) zeros = endA - i < endB - j ? -1 : 1;
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) return i < a.size() ? 1 : -1;
    return zeros;
}

}  // namespace trovelle
