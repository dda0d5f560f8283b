// The Windows file system as the programs meet it: drive roots and types, long paths, Wine.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "system/Platform.h"

namespace trovelle {

// "x:\\": the root folder of the drive with the letter `letter`.
std::wstring DriveRoot(wchar_t letter);

// The system's type of the drive with the letter `letter`.
DriveType DriveTypeOf(wchar_t letter);

class Win32DriveTypes : public DriveTypeQuery {
public:
    DriveType TypeOfRoot(char16_t firstUnit) override;
};

// The letters (a to z) whose root the system reports as a fixed drive, in order.
std::vector<wchar_t> FixedDriveLetters();

// Whether this process runs under Wine, whose change notifications have gaps of their own.
bool RunningUnderWine();

// Whether the folder holds no entry; false when it cannot be listed.
bool IsEmptyFolder(const std::wstring& folder);

// The form of `path` that the file APIs open exactly as named, at any length up to the
// system's limit: a canonical drive path ("x:\\name\\name") always gets the long-path prefix,
// other forms only when they no longer fit the classic limit.
std::wstring LongPathForm(const std::wstring& path);

// `path` made full as the system makes it (a relative one against the current folder), at any
// length; nothing when it cannot be, with the reason in GetLastError.
std::optional<std::wstring> FullPathName(const std::wstring& path);

// Whether `path` (of any length) names a folder that is there.
bool IsFolderPath(const std::wstring& path);

// Bytes in one cluster of the volume that holds `folder`; 0 when that cannot be told.
uint64_t ClusterBytesOf(const std::wstring& folder);

}  // namespace trovelle
