#include "ModuleRegistration.h"

#include "TypeLibDispatch.h"

namespace trovelle {

HRESULT RegisterModule(const ModuleRegistration& registration) {
    HRESULT hr = RegisterEntries(registration.appIdEntries, registration.substitutions);
    if (FAILED(hr)) return hr;
    hr = RegisterEntries(registration.classEntries, registration.substitutions);
    if (FAILED(hr)) return hr;
    return RegisterModuleTypeLib();
}

HRESULT UnregisterModule(const ModuleRegistration& registration) {
    const HRESULT classes = UnregisterEntries(registration.classEntries, registration.substitutions);
    HRESULT library = UnregisterModuleTypeLib();
    if (library == E_INVALIDARG || library == TYPE_E_REGISTRYACCESS) library = S_OK;
    const HRESULT appId = UnregisterEntries(registration.appIdEntries, registration.substitutions);
    if (FAILED(classes)) return classes;
    return FAILED(library) ? library : appId;
}

}  // namespace trovelle
