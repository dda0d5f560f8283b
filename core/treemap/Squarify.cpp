#include "treemap/Squarify.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace trovelle::treemap {
namespace {

struct Piece {
    size_t item;
    double area;
};

struct Space {
    double left, top, width, height;
};

// The worst aspect ratio of a row of areas (their sum, smallest and largest) along `side`.
double WorstRatio(double sum, double smallest, double largest, double side) {
    if (!(smallest > 0) || !(side > 0)) return std::numeric_limits<double>::infinity();
    const double sideSquared = side * side;
    const double sumSquared = sum * sum;
    return std::max(sideSquared * largest / sumSquared, sumSquared / (sideSquared * smallest));
}

// Where the greedy fill ends the row that starts at `first`: adding a piece that would make
// the row's worst ratio worse starts the next row instead.
size_t RowEnd(const std::vector<Piece>& pieces, size_t first, double side, double& rowArea) {
    double sum = pieces[first].area, smallest = sum, largest = sum;
    double worst = WorstRatio(sum, smallest, largest, side);
    size_t end = first + 1;
    for (; end < pieces.size(); ++end) {
        const double area = pieces[end].area;
        const double nextSum = sum + area;
        const double nextSmallest = std::min(smallest, area);
        const double nextLargest = std::max(largest, area);
        const double next = WorstRatio(nextSum, nextSmallest, nextLargest, side);
        if (next > worst) break;
        sum = nextSum;
        smallest = nextSmallest;
        largest = nextLargest;
        worst = next;
    }
    rowArea = sum;
    return end;
}

Rect ToRect(double left, double top, double width, double height) {
    return Rect{left, top, std::max<double>(width, 0), std::max<double>(height, 0)};
}

// Fills `space` with the pieces, row by row along its shorter side. The last row takes all that
// is left and the last piece of a row the rest of the row, so rounding never leaves a gap or
// runs past the bounds.
void LayRows(const std::vector<Piece>& pieces, Space space, std::vector<Block>& blocks) {
    for (size_t first = 0; first < pieces.size();) {
        const bool column = space.width >= space.height;  // the row stands at the left
        const double side = column ? space.height : space.width;
        const double extent = column ? space.width : space.height;
        double rowArea = 0;
        const size_t end = RowEnd(pieces, first, side, rowArea);
        const double thickness =
            end == pieces.size() ? extent : std::min(extent, side > 0 ? rowArea / side : 0);
        double offset = 0;
        for (size_t index = first; index < end; ++index) {
            // Areas that underflowed to 0 (bounds of 1e-200 pixels) share the row equally.
            const double share = rowArea > 0 ? pieces[index].area / rowArea
                                             : double(1) / static_cast<double>(end - first);
            const double length = index + 1 == end ? side - offset : side * share;
            const Rect rect = column ? ToRect(space.left, space.top + offset, thickness, length)
                                     : ToRect(space.left + offset, space.top, length, thickness);
            blocks.push_back(Block{pieces[index].item, rect});
            offset += length;
        }
        if (column) {
            space.left += thickness;
            space.width = std::max<double>(space.width - thickness, 0);
        } else {
            space.top += thickness;
            space.height = std::max<double>(space.height - thickness, 0);
        }
        first = end;
    }
}

uint64_t SaturatingAdd(uint64_t sum, uint64_t weight) {
    return weight > std::numeric_limits<uint64_t>::max() - sum
               ? std::numeric_limits<uint64_t>::max()
               : sum + weight;
}

}  // namespace

Layout Squarify(const std::vector<uint64_t>& weights, const Rect& bounds, double minimumArea) {
    Layout layout;
    const bool usable = std::isfinite(bounds.left) && std::isfinite(bounds.top) &&
                        std::isfinite(bounds.width) && std::isfinite(bounds.height) &&
                        bounds.width > 0 && bounds.height > 0;
    if (!usable) return layout;

    // Weight and index side by side sort faster than indices into the weights; the index
    // breaks ties, which keeps equal weights in input order.
    std::vector<std::pair<uint64_t, size_t>> order;
    order.reserve(weights.size());
    // Only the sum of the weights (100,000 of them near 2^64) needs more than a double's range
    // of exact steps; areas and positions in pixels are doubles, which keeps the row fill fast.
    long double total = 0;
    for (size_t item = 0; item < weights.size(); ++item) {
        if (weights[item] == 0) continue;
        order.emplace_back(weights[item], item);
        total += weights[item];
    }
    if (order.empty()) return layout;
    const auto heavierFirst = [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    };
    if (!std::is_sorted(order.begin(), order.end(), heavierFirst)) {
        std::sort(order.begin(), order.end(), heavierFirst);
    }

    const long double scale = static_cast<long double>(bounds.width) * bounds.height / total;
    const double smallest = minimumArea > 0 ? minimumArea : 0;  // NaN counts as none
    std::vector<Piece> pieces;
    pieces.reserve(order.size() + 1);
    double groupedArea = 0;
    for (const auto& [weight, item] : order) {
        const auto area = static_cast<double>(weight * scale);
        if (layout.groupedCount == 0 && area >= smallest) {
            pieces.push_back(Piece{item, area});
            continue;
        }
        ++layout.groupedCount;
        layout.groupedWeight = SaturatingAdd(layout.groupedWeight, weight);
        groupedArea += area;
    }
    if (layout.groupedCount > 0) pieces.push_back(Piece{kGroupedItems, groupedArea});

    layout.blocks.reserve(pieces.size());
    LayRows(pieces, Space{bounds.left, bounds.top, bounds.width, bounds.height}, layout.blocks);
    return layout;
}

}  // namespace trovelle::treemap
