// Class objects: the base every class factory shares, the plain one that makes a new object per
// request, and DllGetClassObject answered from a DLL's table of classes.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>

#include "ComObject.h"
#include "ModuleLock.h"

namespace trovelle {

// IClassFactory without CreateInstance. A class object does not keep its module loaded (COM
// holds a registered one for the server's whole life); clients lock it with LockServer.
template <typename Derived>
class ClassFactoryBase : public ComObject<Derived, IClassFactory> {
public:
    static constexpr ModuleLockUse kModuleLock = ModuleLockUse::None;
    static const QITAB kInterfaces[];

    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            ModuleLock::Lock();
        } else {
            ModuleLock::Unlock();
        }
        return S_OK;
    }
};

template <typename Derived>
const QITAB ClassFactoryBase<Derived>::kInterfaces[] = {
    Answers<Derived, IClassFactory>(IID_IClassFactory),
    {},
};

using CreateFunction = HRESULT (*)(IUnknown* outer, REFIID iid, void** result);

// Makes a new object per request with the class's creation function.
class ClassFactory final : public ClassFactoryBase<ClassFactory> {
public:
    explicit ClassFactory(CreateFunction create) : create_(create) {}
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** result) override {
        if (result == nullptr) return E_POINTER;
        *result = nullptr;
        return create_(outer, iid, result);
    }

private:
    const CreateFunction create_;
};

// One class a DLL serves.
struct ClassEntry {
    const CLSID& clsid;
    CreateFunction create;
};

// DllGetClassObject for the classes of `table`: a class object of the class asked for.
template <size_t Count>
HRESULT GetClassObjectFromTable(const ClassEntry (&table)[Count], REFCLSID clsid, REFIID iid,
                                void** result) {
    if (result == nullptr) return E_POINTER;
    *result = nullptr;
    for (const ClassEntry& entry : table) {
        if (entry.clsid == clsid) {
            return ClassFactory::CreateObject(nullptr, iid, result, entry.create);
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace trovelle
