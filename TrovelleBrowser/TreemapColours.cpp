#include "TreemapColours.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>

#include "index/Totals.h"

namespace trovelle::browser {
namespace {

// Ten hues far enough apart to tell neighbours apart, light enough for dark labels.
constexpr std::array<COLORREF, 10> kPalette = {
    RGB(78, 121, 167), RGB(242, 142, 43), RGB(225, 87, 89),   RGB(118, 183, 178),
    RGB(89, 161, 79),  RGB(237, 201, 72), RGB(176, 122, 161), RGB(255, 157, 167),
    RGB(156, 117, 95), RGB(99, 197, 224),
};
constexpr COLORREF kOther = RGB(165, 165, 165);
constexpr COLORREF kFolder = RGB(214, 200, 160);

bool IsFolder(const TreemapItem& item) { return item.folder || !item.children.empty(); }

SceneColours ByTopLevel(const TreemapScene& scene) {
    SceneColours colours;
    bool other = false;
    for (const SceneBlock& block : scene.Blocks()) {
        const bool inPalette = block.topRank < kPalette.size();
        colours.fills.push_back(inPalette ? kPalette[block.topRank] : kOther);
        other = other || !inPalette;
        if (block.depth == 1 && inPalette) {
            colours.legend.push_back({block.item->name, kPalette[block.topRank]});
        }
    }
    if (other) colours.legend.push_back({L"Other", kOther});
    return colours;
}

SceneColours ByFileType(const TreemapScene& scene) {
    // The types that take the most room get the palette; the rest share grey.
    std::map<std::wstring, uint64_t> bytesByType;
    for (const SceneBlock& block : scene.Blocks()) {
        if (block.item != nullptr && !IsFolder(*block.item)) {
            uint64_t& bytes = bytesByType[FileTypeOf(block.item->name)];
            bytes = AddCapped(bytes, block.bytes);
        }
    }
    std::vector<std::pair<std::wstring, uint64_t>> ranked(bytesByType.begin(), bytesByType.end());
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    std::map<std::wstring, COLORREF> colourOfType;
    for (size_t rank = 0; rank < ranked.size() && rank < kPalette.size(); ++rank) {
        colourOfType[ranked[rank].first] = kPalette[rank];
    }

    SceneColours colours;
    bool folders = false, other = false;
    for (const SceneBlock& block : scene.Blocks()) {
        COLORREF fill = kOther;
        if (block.item != nullptr && IsFolder(*block.item)) {
            fill = kFolder;
            folders = true;
        } else if (block.item != nullptr) {
            const auto found = colourOfType.find(FileTypeOf(block.item->name));
            if (found != colourOfType.end()) fill = found->second;
        }
        other = other || fill == kOther;
        colours.fills.push_back(fill);
    }
    if (folders) colours.legend.push_back({L"Folders", kFolder});
    for (size_t rank = 0; rank < ranked.size() && rank < kPalette.size(); ++rank) {
        const std::wstring& type = ranked[rank].first;
        colours.legend.push_back({type.empty() ? L"no type" : type, kPalette[rank]});
    }
    if (other) colours.legend.push_back({L"Other", kOther});
    return colours;
}

}  // namespace

std::wstring FileTypeOf(const std::wstring& name) {
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || dot == 0 || dot + 1 == name.size()) return {};
    std::wstring type = name.substr(dot);
    ::CharLowerBuffW(type.data(), static_cast<DWORD>(type.size()));
    return type;
}

SceneColours ColourScene(const TreemapScene& scene, TreemapColouring colouring) {
    return colouring == TreemapColouring::ByTopLevel ? ByTopLevel(scene) : ByFileType(scene);
}

}  // namespace trovelle::browser
