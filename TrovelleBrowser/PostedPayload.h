// Results a background thread hands the window: posted with the message, owned by lParam
// until the window takes them.
#pragma once

#include <windows.h>

#include <memory>

namespace trovelle::browser {

template <typename Payload>
void Post(HWND window, UINT message, std::unique_ptr<Payload> payload) {
    if (::PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(payload.get()))) {
        payload.release();  // the window owns it now
    }
}

template <typename Payload>
std::unique_ptr<Payload> TakePosted(LPARAM lParam) {
    return std::unique_ptr<Payload>(reinterpret_cast<Payload*>(lParam));
}

}  // namespace trovelle::browser
