// The treemap's colours: by which of the open folder's items a block lies in, or by file type,
// from a fixed palette, and the legend that says which colour is which.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TreemapScene.h"

namespace trovelle::browser {

enum class TreemapColouring { ByTopLevel, ByFileType };

struct LegendEntry {
    std::wstring text;
    COLORREF colour = 0;
};

struct SceneColours {
    std::vector<COLORREF> fills;  // one per scene block
    std::vector<LegendEntry> legend;
};

SceneColours ColourScene(const TreemapScene& scene, TreemapColouring colouring);

// The file type a block shows: the extension in lower case with its dot, empty for none.
std::wstring FileTypeOf(const std::wstring& name);

}  // namespace trovelle::browser
