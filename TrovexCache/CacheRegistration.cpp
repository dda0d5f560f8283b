#include "CacheRegistration.h"

#include "CacheRegistrationTable.h"
#include "ModuleRegistration.h"

namespace trovelle {

HRESULT RegisterCacheServer() { return RegisterModule(CacheServerRegistration(ThisModulePath())); }

HRESULT UnregisterCacheServer() {
    return UnregisterModule(CacheServerRegistration(ThisModulePath()));
}

}  // namespace trovelle
