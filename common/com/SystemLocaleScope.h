// Registration runs under the system's default locale; the caller's locale comes back after.
#pragma once

#include <windows.h>

namespace trovelle {

class SystemLocaleScope {
public:
    SystemLocaleScope() : previous_(::GetThreadLocale()) { ::SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemLocaleScope() { ::SetThreadLocale(previous_); }
    SystemLocaleScope(const SystemLocaleScope&) = delete;
    SystemLocaleScope& operator=(const SystemLocaleScope&) = delete;

private:
    const LCID previous_;
};

}  // namespace trovelle
