// Paths of files beside the running program.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace trovelle::properties {

// The program's folder (without a trailing backslash) followed by `suffix`, or nothing when
// the program's path cannot be had whole or the result would not fit in MAX_PATH characters.
std::optional<std::wstring> BesideProgram(std::wstring_view suffix);

// The same from a given program path; empty when `programPath` has no backslash.
std::optional<std::wstring> BesidePath(std::wstring_view programPath, std::wstring_view suffix);

}  // namespace trovelle::properties
