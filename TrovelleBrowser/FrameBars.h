// The bars around the list: a rebar with Back, Forward and Up and the address box (the docked
// toolbar bands follow them), and the status bar with its three parts.
#pragma once

#include <windows.h>

#include <string>

namespace trovelle::browser {

struct FrameBars {
    HWND rebar = nullptr;
    HWND navigation = nullptr;  // the toolbar with Back, Forward and Up
    HWND address = nullptr;     // the address box (an edit control)
    HWND status = nullptr;
};

// False when a bar could not be created.
bool CreateFrameBars(HWND frame, HINSTANCE instance, FrameBars& bars);

void EnableNavigation(const FrameBars& bars, bool back, bool forward, bool up);

enum class StatusPart { Items = 0, Total = 1, Progress = 2 };
void SetStatusText(const FrameBars& bars, StatusPart part, const std::wstring& text);
// The parts' widths follow the window's.
void LayoutStatusParts(const FrameBars& bars);

}  // namespace trovelle::browser
