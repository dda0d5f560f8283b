#include "TypeLibDispatch.h"

#include <string>

#include "Registrar.h"

namespace trovelle {
namespace {

HRESULT LoadModuleTypeLib(ITypeLib** library) {
    const std::wstring path = ThisModulePath();
    return ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library);
}

}  // namespace

HRESULT TypeLibDispatch::Load() {
    // Objects of a multithreaded apartment are called on several threads at once.
    ::AcquireSRWLockExclusive(&loadLock_);
    HRESULT hr = S_OK;
    if (!info_) {
        Microsoft::WRL::ComPtr<ITypeLib> library;
        hr = LoadModuleTypeLib(&library);
        if (SUCCEEDED(hr)) hr = library->GetTypeInfoOfGuid(iid_, &info_);
    }
    ::ReleaseSRWLockExclusive(&loadLock_);
    return hr;
}

HRESULT TypeLibDispatch::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT TypeLibDispatch::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    HRESULT hr = Load();
    if (FAILED(hr)) return hr;
    return info_.CopyTo(info);
}

HRESULT TypeLibDispatch::GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) {
    HRESULT hr = Load();
    if (FAILED(hr)) return hr;
    return ::DispGetIDsOfNames(info_.Get(), names, count, ids);
}

HRESULT TypeLibDispatch::Invoke(void* object, DISPID id, WORD flags, DISPPARAMS* params,
                                VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    HRESULT hr = Load();
    if (FAILED(hr)) return hr;
    return ::DispInvoke(object, info_.Get(), id, flags, params, result, exception, argumentError);
}

HRESULT RegisterModuleTypeLib() {
    Microsoft::WRL::ComPtr<ITypeLib> library;
    HRESULT hr = LoadModuleTypeLib(&library);
    if (FAILED(hr)) return hr;
    std::wstring path = ThisModulePath();
    return ::RegisterTypeLib(library.Get(), path.data(), nullptr);
}

HRESULT UnregisterModuleTypeLib() {
    Microsoft::WRL::ComPtr<ITypeLib> library;
    HRESULT hr = LoadModuleTypeLib(&library);
    if (FAILED(hr)) return hr;
    TLIBATTR* attributes = nullptr;
    hr = library->GetLibAttr(&attributes);
    if (FAILED(hr)) return hr;
    hr = ::UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                             attributes->lcid, attributes->syskind);
    library->ReleaseTLibAttr(attributes);
    return hr;
}

}  // namespace trovelle
