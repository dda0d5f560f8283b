// RAII for the GDI and USER objects the UI kit creates while measuring and painting: memory
// device contexts, a window's borrowed device context, objects selected for a while, menus and
// image lists. Owning GDI objects (fonts, brushes, pens, bitmaps) use UniqueGdiObject.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "UniqueHandle.h"

namespace trovelle {

using UniqueMemoryDc = UniqueHandle<NullHandleTraits<HDC, &::DeleteDC>>;
using UniqueMenu = UniqueHandle<NullHandleTraits<HMENU, &::DestroyMenu>>;
using UniqueImageList = UniqueHandle<NullHandleTraits<HIMAGELIST, &::ImageList_Destroy>>;

using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueFont = UniqueGdiObject<HFONT>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;
using UniquePen = UniqueGdiObject<HPEN>;

// A window's device context, released to that window at the end of the scope.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a device context and puts the previous one back at the end of the
// scope, so the object can be deleted afterwards (declare the owner before the selection).
class SelectionScope {
public:
    SelectionScope(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectionScope() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }
    SelectionScope(const SelectionScope&) = delete;
    SelectionScope& operator=(const SelectionScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace trovelle
