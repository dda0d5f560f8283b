#include "view/LargestFirst.h"

#include "index/FolderKey.h"

namespace trovelle {
namespace {

// Unit by unit, folded as the file system compares names; then as written.
int CompareNamesWithoutCase(std::u16string_view a, std::u16string_view b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const char16_t foldedA = FoldUnit(a[i]), foldedB = FoldUnit(b[i]);
        if (foldedA != foldedB) return foldedA < foldedB ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

}  // namespace

bool LargestFirst(const SizedChild& a, const SizedChild& b) {
    if (a.bytes.has_value() != b.bytes.has_value()) return a.bytes.has_value();
    if (a.bytes && *a.bytes != *b.bytes) return *a.bytes > *b.bytes;
    return CompareNamesWithoutCase(a.name, b.name) < 0;
}

}  // namespace trovelle
