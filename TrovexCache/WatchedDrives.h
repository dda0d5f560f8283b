// The cache's drive choice: a drive is cached only while its change monitor is armed, because
// totals that no change can reach would go stale for good. An armed drive answers without a
// system call. Watches are armed by an explicit call before a request is measured, never by the
// type query itself.
#pragma once

#include <windows.h>

#include "DirectoryWatcher.h"
#include "system/Platform.h"
#include "Win32FileSystem.h"

namespace trovelle {

class WatchedDrives final : public DriveTypeQuery {
public:
    explicit WatchedDrives(DirectoryWatcher& watcher) : watcher_(watcher) {}

    // Fixed means "cached here": a fixed drive without a watch is answered as a drive of unknown
    // type, which is summed on every request.
    DriveType TypeOfRoot(char16_t firstUnit) override {
        const auto letter = static_cast<wchar_t>(firstUnit);
        if (watcher_.IsArmed(letter)) return DriveType::Fixed;
        const DriveType type = DriveTypeOf(letter);
        return type == DriveType::Fixed ? DriveType::Unknown : type;
    }

    // Arms the watch of a fixed drive that has none (its back-off allowing); a bounded wait.
    void ArmIfFixed(wchar_t letter) {
        if (!watcher_.IsArmed(letter) && DriveTypeOf(letter) == DriveType::Fixed) {
            watcher_.EnsureWatched(letter);
        }
    }

private:
    DirectoryWatcher& watcher_;
};

}  // namespace trovelle
