// The cache's drive choice: a drive is cached only while its change monitor is armed, because
// totals that no change can reach would go stale for good. An armed drive answers without a
// system call; a fixed drive without a watch gets one armed on its first request.
#pragma once

#include <windows.h>

#include "DirectoryWatcher.h"
#include "Platform.h"

namespace trovelle {

class WatchedDrives final : public DriveTypeQuery {
public:
    explicit WatchedDrives(DirectoryWatcher& watcher) : watcher_(watcher) {}

    // Fixed means "cached here": a fixed drive whose watch cannot be armed is answered as a
    // drive of unknown type, which is summed on every request.
    DriveType TypeOfRoot(char16_t firstUnit) override {
        const auto letter = static_cast<wchar_t>(firstUnit);
        if (watcher_.IsArmed(letter)) return DriveType::Fixed;
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        const auto type = static_cast<DriveType>(::GetDriveTypeW(root));
        if (type != DriveType::Fixed) return type;
        return watcher_.EnsureWatched(letter) ? DriveType::Fixed : DriveType::Unknown;
    }

private:
    DirectoryWatcher& watcher_;
};

}  // namespace trovelle
