// A BSTR owned for a scope: the one way the programs here allocate and free one.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <memory>

namespace trovelle {

struct BstrFree {
    void operator()(BSTR text) const { ::SysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrFree>;

// A copy of `text` as a BSTR; null for a null `text` (which COM passes as the empty string).
inline UniqueBstr MakeBstr(const wchar_t* text) {
    return UniqueBstr(text != nullptr ? ::SysAllocString(text) : nullptr);
}

}  // namespace trovelle
