// Version 6 of the common controls for windows this library creates inside someone else's
// process: the library's own manifest (resource 2) is activated around their creation.
#pragma once

#include <windows.h>

namespace trovelle {

class CommonControls6Scope {
public:
    CommonControls6Scope();
    ~CommonControls6Scope();
    CommonControls6Scope(const CommonControls6Scope&) = delete;
    CommonControls6Scope& operator=(const CommonControls6Scope&) = delete;

private:
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
};

}  // namespace trovelle
