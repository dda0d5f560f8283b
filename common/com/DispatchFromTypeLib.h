// IDispatch of a dual interface, served from the type library embedded in this module: a class
// lists DispatchFromTypeLib<IFoo, IID_IFoo> among its interfaces instead of IFoo.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "TypeLibDispatch.h"

namespace trovelle {

template <typename Interface, const IID& kIid>
class DispatchFromTypeLib : public Interface {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return dispatch_.GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return dispatch_.GetTypeInfo(index, locale, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return dispatch_.GetIDsOfNames(names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override {
        return dispatch_.Invoke(static_cast<Interface*>(this), id, flags, params, result,
                                exception, argumentError);
    }

private:
    TypeLibDispatch dispatch_{kIid};
};

}  // namespace trovelle
