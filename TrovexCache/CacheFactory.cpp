#include "CacheFactory.h"

#include "OutOfMemoryAnswer.h"

namespace trovelle {

STDMETHODIMP CacheFactory::CreateInstance(IUnknown* outer, REFIID iid, void** result) {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (result == nullptr) return E_POINTER;
    *result = nullptr;

    LockGuard guard(lock_);
    if (closed_) return CO_E_SERVER_STOPPING;
    if (!instance_ && SUCCEEDED(failure_)) {
        // The object is made with the server's own reference, which `instance_` keeps.
        failure_ = AnswerOutOfMemory([&] {
            Microsoft::WRL::ComPtr<TrovelleCacheObject> object = TrovelleCacheObject::Make(options_);
            const HRESULT made = object ? object->InitializeCache() : E_OUTOFMEMORY;
            if (SUCCEEDED(made)) instance_ = std::move(object);
            return made;
        });
    }
    const HRESULT hr = instance_ ? instance_->QueryInterface(iid, result) : failure_;
    if (SUCCEEDED(hr)) ++instance_->Counters().objectsHandedOut;
    return hr;
}

bool CacheFactory::CloseUnless(bool (*busy)()) {
    LockGuard guard(lock_);
    closed_ = !busy();
    return closed_;
}

void CacheFactory::Teardown() {
    Microsoft::WRL::ComPtr<TrovelleCacheObject> instance;  // released after the lock
    LockGuard guard(lock_);
    instance = std::move(instance_);
}

}  // namespace trovelle
