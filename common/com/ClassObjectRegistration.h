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
    // The result of the revocation that withdrew the class object, however often it is asked
    // (a server that withdrew it while winding down reports that one); S_OK when none was made.
    HRESULT Revoke() {
        if (cookie_ == 0) return revoked_;
        revoked_ = ::CoRevokeClassObject(cookie_);
        cookie_ = 0;
        return revoked_;
    }

private:
    DWORD cookie_ = 0;
    HRESULT revoked_ = S_OK;
};

}  // namespace trovelle
