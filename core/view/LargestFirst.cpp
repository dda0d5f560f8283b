#include "view/LargestFirst.h"

#include "index/FolderKey.h"

namespace trovelle {
namespace {

int CompareNamesWithoutCase(const std::u16string& a, const std::u16string& b) {
    const Path foldedA = FoldedKey(a), foldedB = FoldedKey(b);
    if (foldedA != foldedB) return foldedA < foldedB ? -1 : 1;
    return a == b ? 0 : (a < b ? -1 : 1);
}

}  // namespace

bool LargestFirst(const SizedChild& a, const SizedChild& b) {
    if (a.bytes.has_value() != b.bytes.has_value()) return a.bytes.has_value();
    if (a.bytes && *a.bytes != *b.bytes) return *a.bytes > *b.bytes;
    return CompareNamesWithoutCase(a.name, b.name) < 0;
}

}  // namespace trovelle
