// Wide text to the console, or UTF-8 when the output goes to a pipe or a file.
#pragma once

#include <string_view>

namespace trovelle::host {

void WriteOutput(std::wstring_view text);

}  // namespace trovelle::host
