#include "TreemapPane.h"

#include <commctrl.h>
#include <shlwapi.h>
#include <windowsx.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <utility>

#include "TreemapPaint.h"
#include "DisplayScale.h"
#include "WindowOwner.h"

namespace trovelle::browser {
namespace {

UniqueFont CreateLabelFont(UINT dpi) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    font.lfHeight = -::MulDiv(9, static_cast<int>(dpi), 72);
    font.lfWidth = 0;
    return UniqueFont(::CreateFontIndirectW(&font));
}

std::wstring ByteSizeText(uint64_t bytes) {
    wchar_t text[64] = {};
    const auto clamped =
        static_cast<LONGLONG>(std::min<uint64_t>(bytes, std::numeric_limits<LONGLONG>::max()));
    ::StrFormatByteSizeW(clamped, text, static_cast<UINT>(std::size(text)));
    return text;
}

std::wstring ShareText(uint64_t bytes, uint64_t whole) {
    wchar_t text[32] = {};
    const double share =
        whole > 0 ? 100.0 * static_cast<double>(bytes) / static_cast<double>(whole) : 0;
    // Below one per cent one decimal would say 0.0 for most of the blocks.
    std::swprintf(text, std::size(text), share < 1 ? L"%.2f %%" : L"%.1f %%", share);
    return text;
}

// The tip's one tool: the whole pane. The V2 size is understood by every version of the common
// controls.
TTTOOLINFOW PaneTool(HWND pane) {
    TTTOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = pane;
    tool.uId = reinterpret_cast<UINT_PTR>(pane);
    return tool;
}

}  // namespace

TreemapPane::~TreemapPane() {
    if (window_ != nullptr) ::DestroyWindow(window_);
}

bool TreemapPane::Create(HWND parent, HINSTANCE instance, int id) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    if (!::GetClassInfoExW(instance, kTreemapWindowClass, &windowClass)) {
        windowClass.style = CS_DBLCLKS;  // no CS_HREDRAW/VREDRAW: a resize draws the buffer again
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kTreemapWindowClass;
        if (::RegisterClassExW(&windowClass) == 0) return false;
    }
    id_ = id;
    if (::CreateWindowExW(0, kTreemapWindowClass, nullptr,
                          WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 0, 0, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                          this) == nullptr) {
        return false;
    }
    tip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, window_, nullptr,
                             instance, nullptr);
    if (tip_ != nullptr) {
        TTTOOLINFOW tool = PaneTool(window_);
        tool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_IDISHWND;
        tool.lpszText = const_cast<wchar_t*>(L"");
        ::SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        ::SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, 600);
    }
    UpdateDpi();
    return true;
}

void TreemapPane::Show(TreemapItem root) {
    HideTip();
    scene_.Clear();  // it points into the tree being replaced
    root_ = std::move(root);
    Redraw();
}

void TreemapPane::SetColouring(TreemapColouring colouring) {
    colouring_ = colouring;
    Redraw();
}

std::wstring TreemapPane::PathAt(POINT client) const {
    if (scene_.Blocks().empty() || !::PtInRect(&map_, client)) return {};
    return scene_.PathOf(scene_.BlockAt(client));
}

LRESULT CALLBACK TreemapPane::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TreemapPane* self = ui::OwnerOfPlainWindow<TreemapPane>(window, message, lParam);
    if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCCREATE) self->window_ = window;
    if (message == WM_NCDESTROY) {
        self->window_ = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT TreemapPane::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_SIZE:
        Redraw();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(point);
        return 0;
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        HideTip();
        return 0;
    case WM_LBUTTONDOWN:
        ::SetFocus(window_);
        Notify(kTreemapSelect, point);
        return 0;
    case WM_LBUTTONDBLCLK:
        Notify(kTreemapOpen, point);
        return 0;
    case WM_SHOWWINDOW:
        if (!wParam) HideTip();
        break;
    case WM_DESTROY:
        // A popup's owner is the top-level window, not this pane: the tip would outlive it.
        if (tip_ != nullptr) ::DestroyWindow(std::exchange(tip_, nullptr));
        return 0;
    case WM_DPICHANGED_AFTERPARENT:
        UpdateDpi();
        return 0;
    case WM_SETTINGCHANGE:  // high contrast switched
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        UpdateDpi();
        break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

void TreemapPane::UpdateDpi() {
    dpi_ = DpiOfWindow(window_);
    font_ = CreateLabelFont(dpi_);
    TEXTMETRICW text = {};
    WindowDc dc(window_);
    {
        SelectionScope selected(dc.Get(), font_.Get());
        ::GetTextMetricsW(dc.Get(), &text);
    }
    lineHeight_ = std::max<int>(text.tmHeight, 8);
    charWidth_ = std::max<int>(text.tmAveCharWidth, 4);
    if (tip_ != nullptr)
        ::SendMessageW(tip_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    Redraw();
}

void TreemapPane::Redraw() {
    if (window_ == nullptr) return;
    const auto start = std::chrono::steady_clock::now();
    RECT client = {};
    ::GetClientRect(window_, &client);
    const SIZE size{client.right, client.bottom};
    if (size.cx <= 0 || size.cy <= 0) {
        scene_.Clear();
        return;
    }
    if (!memoryDc_ || size.cx != bufferSize_.cx || size.cy != bufferSize_.cy) {
        WindowDc windowDc(window_);
        if (!memoryDc_) memoryDc_.Reset(::CreateCompatibleDC(windowDc.Get()));
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = size.cx;
        info.bmiHeader.biHeight = -size.cy;  // top-down: row 0 is the top
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        UniqueBitmap bitmap(
            ::CreateDIBSection(windowDc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!memoryDc_ || !bitmap) return;
        ::SelectObject(memoryDc_.Get(), bitmap.Get());  // lets go of the previous bitmap
        bitmap_ = std::move(bitmap);
        pixels_ = static_cast<uint32_t*>(bits);
        bufferSize_ = size;
    }

    const auto scaled = [this](int pixels) {
        return ::MulDiv(pixels, static_cast<int>(dpi_), kDefaultDpi);
    };
    PaintMetrics paint;
    paint.font = font_.Get();
    paint.lineHeight = lineHeight_;
    paint.charWidth = charWidth_;
    paint.frame = std::max(1, scaled(1));
    paint.inset = std::max(2, scaled(2));
    paint.padding = scaled(4);
    paint.highContrast = HighContrastOn();
    const PixelBuffer buffer{memoryDc_.Get(), pixels_, size.cx, size.cy};

    scene_.Clear();
    if (root_.bytes == 0 || root_.children.empty()) {
        map_ = {};
        PaintNothingToShow(buffer, paint);
    } else {
        const int legendHeight = lineHeight_ + 2 * paint.padding;
        map_ = {0, 0, size.cx, std::max<LONG>(size.cy - legendHeight, 0)};
        const RECT legend{0, map_.bottom, size.cx, size.cy};
        SceneMetrics metrics;
        metrics.inset = paint.inset;
        metrics.headerHeight = lineHeight_ + 2;
        metrics.minimumArea = double(scaled(5)) * scaled(5);
        scene_.Build(root_, map_, metrics);
        colours_ = ColourScene(scene_, colouring_);
        PaintTreemap(buffer, map_, legend, scene_, colours_, colouring_, paint);
    }
    ::GdiFlush();
    lastDrawMilliseconds_ =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    hovered_ = kNoBlock;
    ::InvalidateRect(window_, nullptr, FALSE);
}

void TreemapPane::OnPaint() {
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(window_, &paint);
    const RECT& dirty = paint.rcPaint;
    if (memoryDc_) {
        ::BitBlt(dc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top,
                 memoryDc_.Get(), dirty.left, dirty.top, SRCCOPY);
    } else {
        ::FillRect(dc, &dirty, ::GetSysColorBrush(COLOR_WINDOW));
    }
    ::EndPaint(window_, &paint);
}

void TreemapPane::OnMouseMove(POINT point) {
    if (!trackingLeave_) {
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = window_;
        trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
    }
    if (tip_ == nullptr) return;
    const size_t block = ::PtInRect(&map_, point) ? scene_.BlockAt(point) : kNoBlock;
    if (block == kNoBlock) {
        HideTip();
        return;
    }
    TTTOOLINFOW tool = PaneTool(window_);
    if (block != hovered_) {
        hovered_ = block;
        tipText_ = TipText(block);
        tool.lpszText = tipText_.data();
        ::SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
        ::SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    }
    POINT screen = point;
    ::ClientToScreen(window_, &screen);
    const int offset = ::MulDiv(16, static_cast<int>(dpi_), kDefaultDpi);
    ::SendMessageW(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x + offset, screen.y + offset));
}

void TreemapPane::HideTip() {
    hovered_ = kNoBlock;
    if (tip_ == nullptr) return;
    TTTOOLINFOW tool = PaneTool(window_);
    ::SendMessageW(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

// "D:\x\y — 12.3 MB, 4.5 %"; a block without a path of its own says where it lies.
std::wstring TreemapPane::TipText(size_t block) const {
    const SceneBlock& shown = scene_.Blocks()[block];
    std::wstring what;
    if (shown.item != nullptr && !shown.item->path.empty()) {
        what = shown.item->path;
    } else {
        what = (shown.item != nullptr ? shown.item->name : SmallerItemsText(shown.groupedCount)) +
               L" in " + scene_.PathOf(shown.parent);
    }
    return what + L" \u2014 " + ByteSizeText(shown.bytes) + L", " +
           ShareText(shown.bytes, root_.bytes);
}

void TreemapPane::Notify(UINT code, POINT point) {
    const std::wstring path = PathAt(point);
    if (path.empty()) return;
    TreemapNotify notify = {};
    notify.header.hwndFrom = window_;
    notify.header.idFrom = static_cast<UINT_PTR>(id_);
    notify.header.code = code;
    notify.path = path.c_str();
    ::SendMessageW(::GetParent(window_), WM_NOTIFY, static_cast<WPARAM>(id_),
                   reinterpret_cast<LPARAM>(&notify));
}

}  // namespace trovelle::browser
