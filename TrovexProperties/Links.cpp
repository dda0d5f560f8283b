#include "Links.h"

#include <windows.h>
#include <shellapi.h>

namespace trovelle::properties {

void OpenLink(const wchar_t* target) {
    ::ShellExecuteW(nullptr, L"open", target, L"", L"", SW_SHOW);
}

}  // namespace trovelle::properties
