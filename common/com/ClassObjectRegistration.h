// A class object registered with COM for as long as this object lives: every way out of a
// server's serving code takes the registration back.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace trovelle {

class ClassObjectRegistration {
public:
    ClassObjectRegistration() = default;
    ~ClassObjectRegistration() { Revoke(); }
    ClassObjectRegistration(const ClassObjectRegistration&) = delete;
    ClassObjectRegistration& operator=(const ClassObjectRegistration&) = delete;

    HRESULT Register(REFCLSID clsid, IUnknown* classObject, DWORD context, DWORD flags) {
        Revoke();
        return ::CoRegisterClassObject(clsid, classObject, context, flags, &cookie_);
    }
    // S_OK when nothing is registered.
    HRESULT Revoke() {
        if (cookie_ == 0) return S_OK;
        const HRESULT hr = ::CoRevokeClassObject(cookie_);
        cookie_ = 0;
        return hr;
    }

private:
    DWORD cookie_ = 0;
};

}  // namespace trovelle
