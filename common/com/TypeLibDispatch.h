// IDispatch served from the type library embedded in this module (resource TYPELIB 1).
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

namespace trovelle {

class TypeLibDispatch {
public:
    explicit TypeLibDispatch(REFIID iid) : iid_(iid) {}

    HRESULT GetTypeInfoCount(UINT* count);
    HRESULT GetTypeInfo(UINT index, LCID, ITypeInfo** info);
    HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids);
    HRESULT Invoke(void* object, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError);

private:
    HRESULT Load();
    const IID iid_;
    SRWLOCK loadLock_ = SRWLOCK_INIT;
    Microsoft::WRL::ComPtr<ITypeInfo> info_;  // set once, under the lock
};

// Registers or unregisters this module's embedded type library.
HRESULT RegisterModuleTypeLib();
HRESULT UnregisterModuleTypeLib();

}  // namespace trovelle
