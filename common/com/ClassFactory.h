// Class factories: a plain one creating a new object per request, and the base both share.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "ModuleLock.h"

namespace trovelle {

// IClassFactory with the module lock handling every server needs. Factories are static objects:
// their own reference count does not keep the module alive, LockServer does.
class ClassFactoryBase : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** result) override {
        if (result == nullptr) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *result = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *result = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            ModuleLock::Lock();
        } else {
            ModuleLock::Unlock();
        }
        return S_OK;
    }
    virtual ~ClassFactoryBase() = default;
};

// Creates a new `Object` per request; `Object::Create(outer, iid, result)` does the work, so
// aggregation rules stay with the class.
template <typename Object>
class ClassFactory : public ClassFactoryBase {
public:
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** result) override {
        if (result == nullptr) return E_POINTER;
        *result = nullptr;
        return Object::Create(outer, iid, result);
    }
};

}  // namespace trovelle
