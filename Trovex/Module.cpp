// Trovex.dll's exports: one class object, unloading, and self-registration.
#include <windows.h>

#include "ClassFactory.h"
#include "FolderSizeColumns.h"
#include "ModuleLock.h"
#include "Registration.h"

namespace {

trovelle::ClassFactory<trovelle::TrovexFolderSize> g_factory;

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** result) {
    if (result == nullptr) return E_POINTER;
    *result = nullptr;
    if (clsid != CLSID_TrovexFolderSize) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, result);
}

STDAPI DllCanUnloadNow() { return trovelle::ModuleLock::Count() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() { return trovelle::RegisterTrovex(); }

STDAPI DllUnregisterServer() { return trovelle::UnregisterTrovex(); }
