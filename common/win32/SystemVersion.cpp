#include "SystemVersion.h"

#include <windows.h>

namespace trovelle {

std::optional<WindowsVersion> ReportedWindowsVersion() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&info)) return std::nullopt;
#pragma GCC diagnostic pop
    return WindowsVersion{info.dwMajorVersion, info.dwMinorVersion};
}

}  // namespace trovelle
