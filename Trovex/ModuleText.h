// String resources of this library.
#pragma once

#include <windows.h>

#include <string>

namespace trovelle {

// The text of string resource `id`; empty when there is none.
std::wstring LoadModuleText(UINT id);

}  // namespace trovelle
