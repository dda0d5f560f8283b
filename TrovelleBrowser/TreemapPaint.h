// Paints the treemap into the pane's back buffer: shaded blocks with thin frames straight into
// the pixels (ten thousand GDI fills would cost more than the layout), then names and the
// legend strip with GDI text on top.
#pragma once

#include <windows.h>

#include <cstdint>

#include "TreemapColours.h"
#include "TreemapScene.h"

namespace trovelle::browser {

// A 32-bit top-down DIB section selected into `dc`.
struct PixelBuffer {
    HDC dc = nullptr;
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

struct PaintMetrics {
    HFONT font = nullptr;
    int lineHeight = 16;
    int charWidth = 7;
    int frame = 1;    // a block's frame
    int inset = 2;    // between a block's edge and its children (SceneMetrics::inset)
    int padding = 4;  // around the legend's entries
    bool highContrast = false;
};

void PaintTreemap(const PixelBuffer& buffer, const RECT& map, const RECT& legend,
                  const TreemapScene& scene, const SceneColours& colours,
                  TreemapColouring colouring, const PaintMetrics& metrics);

void PaintNothingToShow(const PixelBuffer& buffer, const PaintMetrics& metrics);

// The label of the block of a level's smaller items.
std::wstring SmallerItemsText(size_t count);

}  // namespace trovelle::browser
