// TrovexBar.dll's exports: one class object, unloading, and self-registration.
#include <windows.h>

#include "BandWindow.h"
#include "ClassFactory.h"
#include "ExplorerBar.h"
#include "ModuleLock.h"
#include "Registration.h"

namespace {

const trovelle::ClassEntry kClasses[] = {
    {CLSID_TrovexExplorerBar, &trovelle::TrovexExplorerBar::CreateObject<>},
};

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void* reserved) {
    // A class registered by a library outlives the library unless it is taken back; a process
    // that is ending takes everything back itself.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) trovelle::UnregisterBandWindowClass();
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** result) {
    return trovelle::GetClassObjectFromTable(kClasses, clsid, iid, result);
}

STDAPI DllCanUnloadNow() { return trovelle::ModuleLock::CanUnloadNow(); }

STDAPI DllRegisterServer() { return trovelle::RegisterTrovexBar(); }

STDAPI DllUnregisterServer() { return trovelle::UnregisterTrovexBar(); }
