// Trovex.dll's exports: its class objects, unloading, and self-registration.
#include <windows.h>

#include "ClassFactory.h"
#include "FolderPropertiesHandler.h"
#include "FolderSizeColumns.h"
#include "ModuleLock.h"
#include "Registration.h"

namespace {

const trovelle::ClassEntry kClasses[] = {
    {CLSID_TrovexFolderSize, &trovelle::TrovexFolderSize::CreateObject<>},
    {CLSID_TrovexFolderProperties, &trovelle::TrovexFolderProperties::CreateObject<>},
};

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** result) {
    return trovelle::GetClassObjectFromTable(kClasses, clsid, iid, result);
}

STDAPI DllCanUnloadNow() { return trovelle::ModuleLock::CanUnloadNow(); }

STDAPI DllRegisterServer() { return trovelle::RegisterTrovex(); }

STDAPI DllUnregisterServer() { return trovelle::UnregisterTrovex(); }
