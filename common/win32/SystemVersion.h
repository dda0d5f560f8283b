// The Windows version the system reports to this program, as the display rules compare it.
#pragma once

#include <optional>

#include "text/SizePadding.h"

namespace trovelle {

// What GetVersionExW reports (a compatibility-shimmed version, as the rules were written for);
// nothing when the call fails.
std::optional<WindowsVersion> ReportedWindowsVersion();

}  // namespace trovelle
