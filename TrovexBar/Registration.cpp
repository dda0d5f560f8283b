#include "Registration.h"

#include "ModuleRegistration.h"
#include "TrovexBarRegistrationTable.h"
#include "SystemLocaleScope.h"

namespace trovelle {

HRESULT RegisterTrovexBar() {
    const SystemLocaleScope locale;
    return RegisterModule(TrovexBarRegistration(ThisModulePath()));
}

HRESULT UnregisterTrovexBar() {
    const SystemLocaleScope locale;
    return UnregisterModule(TrovexBarRegistration(ThisModulePath()));
}

}  // namespace trovelle
