#include "RegistryTable.h"

namespace trovelle {

std::wstring Substitute(const wchar_t* text, const Substitutions& substitutions) {
    std::wstring result = text != nullptr ? text : L"";
    for (const auto& [placeholder, replacement] : substitutions) {
        for (size_t at = result.find(placeholder); at != std::wstring::npos;
             at = result.find(placeholder, at + replacement.size())) {
            result.replace(at, placeholder.size(), replacement);
        }
    }
    return result;
}

}  // namespace trovelle
