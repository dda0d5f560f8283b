#include "ModuleText.h"

#include "Registrar.h"

namespace trovelle {

std::wstring LoadModuleText(UINT id) {
    wchar_t text[256] = {};
    ::LoadStringW(ThisModule(), id, text, static_cast<int>(std::size(text)));
    return text;
}

}  // namespace trovelle
