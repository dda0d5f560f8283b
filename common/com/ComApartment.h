// COM initialised for the lifetime of a scope on the calling thread.
#pragma once

#include <objbase.h>

namespace trovelle {

class ComApartment {
public:
    explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED)
        : result_(::CoInitializeEx(nullptr, model)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    HRESULT Result() const { return result_; }
    explicit operator bool() const { return SUCCEEDED(result_); }

private:
    const HRESULT result_;
};

}  // namespace trovelle
