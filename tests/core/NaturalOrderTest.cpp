// Names as Explorer orders them: case ignored, digit runs by value, and a strict order so a
// sort of a large folder is well defined.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "view/NaturalOrder.h"

namespace trovelle {
namespace {

TEST(NaturalOrder, DigitRunsByValueCaseIgnoredLeadingZerosAfterTheShorterRun) {
    std::vector<std::u16string> names = {u"file10", u"File9", u"file9b", u"file009", u"a",
                                         u"file", u"file18446744073709551616", u"file2"};
    std::sort(names.begin(), names.end(), [](const std::u16string& a, const std::u16string& b) {
        return CompareNaturally(NaturalKey(a), NaturalKey(b)) < 0;
    });
    const std::vector<std::u16string> expected = {u"a", u"file", u"file2", u"File9", u"file009",
                                                  u"file9b", u"file10", u"file18446744073709551616"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(CompareNaturally(NaturalKey(u"ABC"), NaturalKey(u"abc")), 0);
    // Antisymmetric on every pair.
    for (const auto& a : names) {
        for (const auto& b : names) {
            EXPECT_EQ(CompareNaturally(NaturalKey(a), NaturalKey(b)),
                      -CompareNaturally(NaturalKey(b), NaturalKey(a)));
        }
    }
}

}  // namespace
}  // namespace trovelle
