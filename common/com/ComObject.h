// The one IUnknown of every COM class here. A class derives from ComObject<Class, Interfaces...>
// and lists what QueryInterface answers in a table, `static const QITAB kInterfaces[]` of
// Answers<Class, Interface>(IID) rows, in the order asked, ending with an empty entry. The
// reference count is atomic, a live object holds the module lock (see ModuleLockUse), and an
// object made with an outer object is aggregated: its interfaces' IUnknown methods then go to
// the outer object.
#pragma once

#include <windows.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <new>
#include <utility>

#include "ModuleLock.h"

namespace trovelle {

// One row of a class's interface table: `iid` is answered by the object's `Interface` part.
template <typename Object, typename Interface>
QITAB Answers(const IID& iid) {
    return {&iid, static_cast<int>(OFFSETOFCLASS(Interface, Object))};
}

// Which references of an object keep its module loaded.
enum class ModuleLockUse {
    EveryReference,  // the usual: the module stays while the object lives
    BeyondTheFirst,  // the module holds the first reference itself (the cache server's object)
    None,            // class objects: clients lock the module with LockServer
};

template <typename Derived, typename... Interfaces>
class ComObject : public Interfaces... {
public:
    // Makes an object and hands out `iid`. With `outer` an aggregatable class's object is
    // aggregated, and then only IUnknown may be asked for. `args` go to the constructor.
    template <typename... Args>
    static HRESULT CreateObject(IUnknown* outer, REFIID iid, void** result, Args&&... args) {
        if (result == nullptr) return E_POINTER;
        *result = nullptr;
        if (outer != nullptr && (!Derived::kAggregatable || iid != IID_IUnknown)) {
            return CLASS_E_NOAGGREGATION;
        }
        Derived* object = new (std::nothrow) Derived(std::forward<Args>(args)...);
        if (object == nullptr) return E_OUTOFMEMORY;
        if (outer != nullptr) object->outer_ = outer;
        // The creation reference goes to the requested interface, or is dropped on failure.
        const HRESULT hr = object->inner_.QueryInterface(iid, result);
        object->inner_.Release();
        return hr;
    }

    // A new object for this module's own use, not aggregated; null when memory runs out.
    template <typename... Args>
    static Microsoft::WRL::ComPtr<Derived> Make(Args&&... args) {
        Microsoft::WRL::ComPtr<Derived> made;
        // Takes over the creation reference; mingw-w64's ComPtr::Attach would add one.
        *made.GetAddressOf() = new (std::nothrow) Derived(std::forward<Args>(args)...);
        return made;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** result) override {
        return outer_->QueryInterface(iid, result);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return outer_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return outer_->Release(); }

protected:
    static constexpr ModuleLockUse kModuleLock = ModuleLockUse::EveryReference;
    static constexpr bool kAggregatable = false;
    // The table QueryInterface answers from; a class that offers different interfaces per
    // object (a test's fake) hides this with its own.
    const QITAB* InterfaceTable() const { return Derived::kInterfaces; }

    ComObject() {
        if (Derived::kModuleLock == ModuleLockUse::EveryReference) ModuleLock::Lock();
    }
    ~ComObject() {
        if (Derived::kModuleLock == ModuleLockUse::EveryReference) ModuleLock::Unlock();
    }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

private:
    // The object's own IUnknown: it holds the count and answers from the table.
    class Inner final : public IUnknown {
    public:
        explicit Inner(ComObject& owner) : owner_(owner) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** result) override {
            if (result == nullptr) return E_POINTER;
            if (iid == IID_IUnknown) {
                *result = static_cast<IUnknown*>(this);
                AddRef();
                return S_OK;
            }
            Derived& object = static_cast<Derived&>(owner_);
            return ::QISearch(&object, object.InterfaceTable(), iid, result);
        }
        STDMETHODIMP_(ULONG) AddRef() override {
            const LONG count = ::InterlockedIncrement(&owner_.references_);
            if (Derived::kModuleLock == ModuleLockUse::BeyondTheFirst && count == 2) {
                ModuleLock::Lock();
            }
            return static_cast<ULONG>(count);
        }
        STDMETHODIMP_(ULONG) Release() override {
            const LONG count = ::InterlockedDecrement(&owner_.references_);
            if (Derived::kModuleLock == ModuleLockUse::BeyondTheFirst && count == 1) {
                ModuleLock::Unlock();
            }
            if (count == 0) delete static_cast<Derived*>(&owner_);
            return static_cast<ULONG>(count);
        }

    private:
        ComObject& owner_;
    };

    Inner inner_{*this};
    IUnknown* outer_ = &inner_;  // the outer object when aggregated; never owned
    LONG references_ = 1;
};

}  // namespace trovelle
