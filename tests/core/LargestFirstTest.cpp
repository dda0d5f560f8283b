// The order of a folder's children in the tree: known totals largest first, unknown after,
// ties by name without case.
#include <gtest/gtest.h>

#include <algorithm>

#include "view/LargestFirst.h"

namespace trovelle {
namespace {

std::vector<std::u16string> NamesOf(const std::vector<SizedChild>& children) {
    std::vector<std::u16string> names;
    for (const SizedChild& child : children) names.emplace_back(child.name);
    return names;
}

TEST(LargestFirst, KnownTotalsLargestFirstThenUnknownThenNamesWithoutCase) {
    std::vector<SizedChild> children = {{u"b", 10},           {u"unknown", std::nullopt},
                                        {u"A", 10},           {u"huge", UINT64_MAX},
                                        {u"zero", 0},         {u"also unknown", std::nullopt},
                                        {u"a", 10}};
    std::sort(children.begin(), children.end(), LargestFirst);
    const std::vector<std::u16string> expected = {u"huge", u"A", u"a", u"b", u"zero", u"also unknown",
                                                  u"unknown"};
    EXPECT_EQ(NamesOf(children), expected);
    // A strict weak order: nothing comes before itself.
    for (const SizedChild& child : children) EXPECT_FALSE(LargestFirst(child, child));
}

}  // namespace
}  // namespace trovelle
