// The drop-down settings menu of the toolbar button: check marks from the registry, the
// chosen value written back, the change announced and the browser's view refreshed.
#pragma once

#include <windows.h>

namespace trovelle {

class CBandWindow;

// Runs the menu under the band's toolbar; always returns 0 (the WM_COMMAND result).
LRESULT ShowSettingsMenu(CBandWindow& band);

}  // namespace trovelle
