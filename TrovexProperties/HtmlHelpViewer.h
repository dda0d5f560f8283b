// The HTML Help library, found and loaded on first use and kept for the rest of the run.
#pragma once

#include <windows.h>

#include <functional>

namespace trovelle::properties {

// HtmlHelpW's signature; it is entry 15 of the library.
using HtmlHelpFunction = HWND(WINAPI*)(HWND caller, const wchar_t* file, UINT command,
                                       DWORD_PTR data);
inline constexpr UINT kHelpDisplayTopic = 0;  // HH_DISPLAY_TOPIC

// Finds the library (the path registered for the HTML Help control, else "hhctrl.ocx") and
// its entry point; nullptr when either is missing. The library stays loaded.
HtmlHelpFunction LocateHtmlHelp();

class HtmlHelpViewer {
public:
    explicit HtmlHelpViewer(std::function<HtmlHelpFunction()> locate = LocateHtmlHelp)
        : locate_(std::move(locate)) {}

    // HtmlHelpW's result, or nullptr when help is unavailable. After one failed search no
    // further search is made: a missing library costs the user nothing but the first try.
    HWND Show(HWND caller, const wchar_t* path, UINT command, DWORD_PTR data);
    bool Failed() const { return failed_; }

private:
    std::function<HtmlHelpFunction()> locate_;
    HtmlHelpFunction entry_ = nullptr;
    bool failed_ = false;
};

// The program's one viewer.
HtmlHelpViewer& ProgramHelpViewer();
HWND ShowHtmlHelp(HWND caller, const wchar_t* path, UINT command, DWORD_PTR data);

}  // namespace trovelle::properties
