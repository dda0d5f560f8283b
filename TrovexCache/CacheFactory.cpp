#include "CacheFactory.h"

#include <new>

#include "CacheObject.h"

namespace trovelle {

CacheFactory::CacheFactory() { ::InitializeCriticalSection(&lock_); }

CacheFactory::~CacheFactory() { ::DeleteCriticalSection(&lock_); }

STDMETHODIMP CacheFactory::CreateInstance(IUnknown* outer, REFIID iid, void** result) {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (result == nullptr) return E_POINTER;
    *result = nullptr;

    ::EnterCriticalSection(&lock_);
    if (!instance_ && SUCCEEDED(failure_)) {
        auto* object = new (std::nothrow) TrovelleCacheObject(options_);
        if (object == nullptr) {
            failure_ = E_OUTOFMEMORY;
        } else {
            object->AddRef();  // held only until the factory's own reference is taken
            failure_ = object->InitializeCache();
            if (SUCCEEDED(failure_)) failure_ = object->QueryInterface(IID_PPV_ARGS(&instance_));
            if (SUCCEEDED(failure_)) object_ = object;
            object->Release();
        }
    }
    const HRESULT hr = instance_ ? instance_->QueryInterface(iid, result) : failure_;
    if (SUCCEEDED(hr)) ++object_->Counters().objectsHandedOut;
    ::LeaveCriticalSection(&lock_);
    return hr;
}

void CacheFactory::Teardown() {
    ::EnterCriticalSection(&lock_);
    object_ = nullptr;
    Microsoft::WRL::ComPtr<IUnknown> instance = std::move(instance_);
    ::LeaveCriticalSection(&lock_);
}

}  // namespace trovelle
