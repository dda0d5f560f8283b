#include "Registration.h"

#include "ModuleRegistration.h"
#include "TrovexRegistrationTable.h"
#include "SystemLocaleScope.h"

namespace trovelle {

HRESULT RegisterTrovex() {
    const SystemLocaleScope locale;
    return RegisterModule(TrovexRegistration(ThisModulePath()));
}

HRESULT UnregisterTrovex() {
    const SystemLocaleScope locale;
    return UnregisterModule(TrovexRegistration(ThisModulePath()));
}

}  // namespace trovelle
