#include "CommonControls6.h"

#include "Registrar.h"
#include "UniqueHandle.h"

namespace trovelle {
namespace {

struct ActivationContextTraits {
    using Value = HANDLE;
    static Value Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Value value) { return value != nullptr && value != INVALID_HANDLE_VALUE; }
    static void Close(Value value) { ::ReleaseActCtx(value); }
};

// Made once per process from this module's manifest; a failure leaves the process default.
HANDLE ModuleContext() {
    static const UniqueHandle<ActivationContextTraits> context([] {
        ACTCTXW request = {};
        request.cbSize = sizeof(request);
        request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.hModule = ThisModule();
        request.lpResourceName = MAKEINTRESOURCEW(2);
        return ::CreateActCtxW(&request);
    }());
    return context ? context.Get() : nullptr;
}

}  // namespace

CommonControls6Scope::CommonControls6Scope() {
    if (HANDLE context = ModuleContext()) active_ = ::ActivateActCtx(context, &cookie_) != FALSE;
}

CommonControls6Scope::~CommonControls6Scope() {
    if (active_) ::DeactivateActCtx(0, cookie_);
}

}  // namespace trovelle
