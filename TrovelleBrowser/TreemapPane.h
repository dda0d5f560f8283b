// The treemap pane: a child window that shows the open folder as nested, shaded blocks whose
// areas are their shares of the folder, coloured by the folder's own items or by file type,
// with a legend strip, names where they fit and a tip with path, size and share. A click on a
// block tells the parent which item it is (WM_NOTIFY kTreemapSelect), a double click asks to
// open it (kTreemapOpen). Drawn into a back buffer when the picture changes; WM_PAINT only
// copies it.
#pragma once

#include <windows.h>

#include <string>

#include "GdiScopes.h"
#include "TreemapColours.h"
#include "TreemapItem.h"
#include "TreemapScene.h"

namespace trovelle::browser {

inline constexpr wchar_t kTreemapWindowClass[] = L"TrovelleTreemap";

// WM_NOTIFY codes sent to the parent with a TreemapNotify (NMHDR.idFrom is the pane's id).
inline constexpr UINT kTreemapSelect = 0x7A01;  // a click on an item
inline constexpr UINT kTreemapOpen = 0x7A02;    // a double click

struct TreemapNotify {
    NMHDR header;
    const wchar_t* path;  // valid during the notification
};

class TreemapPane {
public:
    TreemapPane() = default;
    ~TreemapPane();
    TreemapPane(const TreemapPane&) = delete;
    TreemapPane& operator=(const TreemapPane&) = delete;

    bool Create(HWND parent, HINSTANCE instance, int id);
    HWND Window() const { return window_; }

    // The open folder; replaces the picture.
    void Show(TreemapItem root);
    void SetColouring(TreemapColouring colouring);
    TreemapColouring Colouring() const { return colouring_; }

    // The deepest item with a path under the point (client coordinates); empty off the map.
    std::wstring PathAt(POINT client) const;
    // Milliseconds the last layout and paint into the back buffer took.
    double LastDrawMilliseconds() const { return lastDrawMilliseconds_; }
    // The blocks as laid out for the last picture.
    const TreemapScene& Scene() const { return scene_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void UpdateDpi();
    void Redraw();
    void OnPaint();
    void OnMouseMove(POINT point);
    void HideTip();
    void Notify(UINT code, POINT point);
    std::wstring TipText(size_t block) const;

    HWND window_ = nullptr;
    HWND tip_ = nullptr;
    int id_ = 0;
    TreemapItem root_;
    TreemapScene scene_;
    SceneColours colours_;
    TreemapColouring colouring_ = TreemapColouring::ByTopLevel;
    RECT map_ = {};

    UINT dpi_ = 96;
    UniqueFont font_;
    int lineHeight_ = 16;
    int charWidth_ = 7;

    // The back buffer: the bitmap stays selected into the memory DC, which goes first.
    UniqueBitmap bitmap_;
    UniqueMemoryDc memoryDc_;
    uint32_t* pixels_ = nullptr;
    SIZE bufferSize_ = {};
    double lastDrawMilliseconds_ = 0;

    size_t hovered_ = kNoBlock;
    bool trackingLeave_ = false;
    std::wstring tipText_;
};

}  // namespace trovelle::browser
