#include "treemap/Squarify.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace trovelle::treemap {
namespace {

constexpr uint64_t kLargest = std::numeric_limits<uint64_t>::max();

double Area(const Rect& rect) { return rect.width * rect.height; }

bool Overlap(const Rect& a, const Rect& b) {
    constexpr double kSlack = 1e-6;  // shared edges are not overlaps
    return a.left + a.width > b.left + kSlack && b.left + b.width > a.left + kSlack &&
           a.top + a.height > b.top + kSlack && b.top + b.height > a.top + kSlack;
}

void ExpectTiling(const Layout& layout, const Rect& bounds) {
    double covered = 0;
    for (size_t i = 0; i < layout.blocks.size(); ++i) {
        const Rect& rect = layout.blocks[i].rect;
        ASSERT_TRUE(std::isfinite(rect.left) && std::isfinite(rect.top) &&
                    std::isfinite(rect.width) && std::isfinite(rect.height))
            << "block " << i;
        EXPECT_GE(rect.left, bounds.left - 1e-6) << "block " << i;
        EXPECT_GE(rect.top, bounds.top - 1e-6) << "block " << i;
        EXPECT_LE(rect.left + rect.width, bounds.left + bounds.width + 1e-6) << "block " << i;
        EXPECT_LE(rect.top + rect.height, bounds.top + bounds.height + 1e-6) << "block " << i;
        covered += Area(rect);
    }
    EXPECT_NEAR(covered, Area(bounds), Area(bounds) * 1e-9);
}

std::vector<uint64_t> RandomWeights(size_t count, uint32_t seed) {
    std::mt19937_64 random(seed);
    std::vector<uint64_t> weights(count);
    for (uint64_t& weight : weights) weight = 1 + random() % 1000000;
    return weights;
}

TEST(TreemapLayout, TilesTheBoundsInProportionWithoutOverlap) {
    std::vector<uint64_t> weights = RandomWeights(400, 7);
    weights[17] = 0;  // left out
    const Rect bounds{10, 20, 800, 600};
    const Layout layout = Squarify(weights, bounds, 0);

    ASSERT_EQ(layout.blocks.size(), weights.size() - 1);
    EXPECT_EQ(layout.groupedCount, 0u);
    ExpectTiling(layout, bounds);
    double total = 0;
    for (const uint64_t weight : weights) total += weight;
    std::vector<bool> seen(weights.size());
    for (const Block& block : layout.blocks) {
        ASSERT_LT(block.item, weights.size());
        EXPECT_FALSE(seen[block.item]) << "item " << block.item << " laid out twice";
        seen[block.item] = true;
        EXPECT_NEAR(Area(block.rect), Area(bounds) * weights[block.item] / total, 1.0)
            << "item " << block.item;
    }
    EXPECT_FALSE(seen[17]);
    for (size_t a = 0; a < layout.blocks.size(); ++a) {
        for (size_t b = a + 1; b < layout.blocks.size(); ++b) {
            ASSERT_FALSE(Overlap(layout.blocks[a].rect, layout.blocks[b].rect))
                << layout.blocks[a].item << " and " << layout.blocks[b].item;
        }
    }
}

TEST(TreemapLayout, LargestFirstTiesInInputOrderAndRepeatable) {
    const std::vector<uint64_t> weights{5, 9, 5, 1, 9, 5};
    const Layout layout = Squarify(weights, Rect{0, 0, 300, 200}, 0);
    std::vector<size_t> items;
    for (const Block& block : layout.blocks) items.push_back(block.item);
    EXPECT_EQ(items, (std::vector<size_t>{1, 4, 0, 2, 5, 3}));

    const std::vector<uint64_t> many = RandomWeights(5000, 3);
    const Layout first = Squarify(many, Rect{0, 0, 1024, 768}, 4);
    const Layout second = Squarify(many, Rect{0, 0, 1024, 768}, 4);
    ASSERT_EQ(first.blocks.size(), second.blocks.size());
    for (size_t i = 0; i < first.blocks.size(); ++i) {
        EXPECT_EQ(first.blocks[i].item, second.blocks[i].item);
        EXPECT_EQ(std::memcmp(&first.blocks[i].rect, &second.blocks[i].rect, sizeof(Rect)), 0);
    }
}

TEST(TreemapLayout, EqualWeightsComeOutNearlySquare) {
    // A slice-and-dice layout would give 64 strips of 1:64.
    const Layout layout = Squarify(std::vector<uint64_t>(64, 10), Rect{0, 0, 640, 640}, 0);
    ASSERT_EQ(layout.blocks.size(), 64u);
    for (const Block& block : layout.blocks) {
        const Rect& rect = block.rect;
        EXPECT_LE(std::max(rect.width, rect.height) / std::min(rect.width, rect.height), 1.5)
            << "item " << block.item;
    }
}

TEST(TreemapLayout, TheTailBelowTheMinimumAreaIsOneBlockAtTheEnd) {
    // Total 1600 in 160x100: one unit of weight is 10 square pixels.
    const std::vector<uint64_t> weights{2, 1000, 0, 3, 500, 95};
    const Rect bounds{0, 0, 160, 100};
    const Layout layout = Squarify(weights, bounds, 35);

    ASSERT_EQ(layout.blocks.size(), 4u);
    EXPECT_EQ(layout.blocks[0].item, 1u);
    EXPECT_EQ(layout.blocks[1].item, 4u);
    EXPECT_EQ(layout.blocks[2].item, 5u);
    EXPECT_EQ(layout.blocks[3].item, kGroupedItems);
    EXPECT_EQ(layout.groupedCount, 2u);  // the zero is left out, not grouped
    EXPECT_EQ(layout.groupedWeight, 5u);
    EXPECT_NEAR(Area(layout.blocks[3].rect), 50, 1e-6);
    ExpectTiling(layout, bounds);

    // A minimum beyond the whole area groups everything; NaN groups nothing.
    const Layout all = Squarify(weights, bounds, 1e9);
    ASSERT_EQ(all.blocks.size(), 1u);
    EXPECT_EQ(all.groupedCount, 5u);
    EXPECT_EQ(Squarify(weights, bounds, std::nan("")).groupedCount, 0u);
}

TEST(TreemapLayout, HugeWeightsStayFiniteAndSaturate) {
    std::vector<uint64_t> weights(1000, kLargest);
    weights.push_back(1);
    const Rect bounds{0, 0, 1920, 1080};
    const Layout layout = Squarify(weights, bounds, 1);
    EXPECT_EQ(layout.blocks.size(), 1001u);  // the 1 and its group
    EXPECT_EQ(layout.groupedCount, 1u);
    ExpectTiling(layout, bounds);

    const Layout grouped = Squarify(weights, bounds, 1e12);
    EXPECT_EQ(grouped.groupedCount, 1001u);
    EXPECT_EQ(grouped.groupedWeight, kLargest);
    ExpectTiling(grouped, bounds);

    // Pixel areas far below one unit of the largest weight still get real, finite blocks.
    const Layout tiny = Squarify({kLargest, 1}, Rect{0, 0, 1e-3, 1e-3}, 0);
    ASSERT_EQ(tiny.blocks.size(), 2u);
    ExpectTiling(tiny, Rect{0, 0, 1e-3, 1e-3});
}

TEST(TreemapLayout, DegenerateInputsGiveNoBlocks) {
    const std::vector<uint64_t> some{3, 2, 1};
    const double nan = std::nan(""), infinity = std::numeric_limits<double>::infinity();
    for (const Rect& bounds : {Rect{0, 0, 0, 100}, Rect{0, 0, 100, -1}, Rect{0, 0, nan, 100},
                               Rect{nan, 0, 100, 100}, Rect{0, 0, infinity, 100}}) {
        EXPECT_TRUE(Squarify(some, bounds, 0).blocks.empty())
            << bounds.left << "," << bounds.top << " " << bounds.width << "x" << bounds.height;
    }
    EXPECT_TRUE(Squarify({}, Rect{0, 0, 10, 10}, 0).blocks.empty());
    EXPECT_TRUE(Squarify({0, 0}, Rect{0, 0, 10, 10}, 0).blocks.empty());
    // A sliver still holds every item.
    const Layout sliver = Squarify(some, Rect{0, 0, 1e6, 1e-6}, 0);
    EXPECT_EQ(sliver.blocks.size(), 3u);
    ExpectTiling(sliver, Rect{0, 0, 1e6, 1e-6});
}

TEST(TreemapLayout, AHundredThousandItemsInLinearTime) {
    const std::vector<uint64_t> weights = RandomWeights(100000, 11);
    const Rect bounds{0, 0, 4000, 3000};
    const auto start = std::chrono::steady_clock::now();
    const Layout layout = Squarify(weights, bounds, 0);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(layout.blocks.size(), weights.size());
    ExpectTiling(layout, bounds);
    // A row fill that went quadratic would take minutes; sanitizers cost a few times the 15 ms.
    EXPECT_LT(std::chrono::duration<double>(took).count(), 2.0);
}

}  // namespace
}  // namespace trovelle::treemap
