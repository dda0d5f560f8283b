// Work of an in-process server on a thread of its own. The thread keeps the module loaded and
// locked until its last instruction: a host may release every object and ask the module to
// unload while the work still runs, and the module then stays until the work is done.
#pragma once

#include <windows.h>

#include <functional>

namespace trovelle {

// Runs `work` on a new thread in the multithreaded apartment; S_OK once the thread runs, or
// the failure (the work is then dropped without running).
HRESULT RunInBackground(std::function<void()> work);

}  // namespace trovelle
