// Folder paths as the window shows and moves between them.
#pragma once

#include <optional>
#include <string>

namespace trovelle::browser {

// The folder a typed or given path names: blanks and quotes around it dropped, environment
// variables expanded, a relative path taken from `current`, "." and ".." resolved, no trailing
// backslash but on a drive's root ("C:\"); "Drives" names the drives. Nothing when nothing
// usable was given.
std::optional<std::wstring> FolderPathFrom(std::wstring text, const std::wstring& current);

// The folder above `folder`: the drives above a drive's root, nothing above the drives.
std::optional<std::wstring> FolderAbove(const std::wstring& folder);

// "D:\Sample", or "Drives" for the drives.
std::wstring DisplayName(const std::wstring& folder);

// The user's profile folder, where the window opens the first time.
std::wstring ProfileFolder();

}  // namespace trovelle::browser
