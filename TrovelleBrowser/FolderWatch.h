// Watches the shown folder and everything below it, and tells the window which of its rows a
// change touched (the first name of each changed path), or that anything may have changed.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "PostedPayload.h"
#include "UniqueHandle.h"

namespace trovelle::browser {

// Posted to the window; lParam owns a FolderChanges (take it with TakePosted).
inline constexpr UINT kFolderChanged = WM_APP + 3;

struct FolderChanges {
    uint64_t generation = 0;
    bool everything = false;          // the system lost track (overflow, a failed read)
    std::vector<std::wstring> names;  // names directly in the folder that changed
};

class FolderWatch {
public:
    explicit FolderWatch(HWND window) : window_(window) {}
    ~FolderWatch() { Stop(); }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches `folder` for the listing `generation`, instead of what was watched before.
    void Watch(const std::wstring& folder, uint64_t generation);
    void Stop();

private:
    HWND window_;
    UniqueKernelHandle stop_;
    std::thread thread_;
};

}  // namespace trovelle::browser
