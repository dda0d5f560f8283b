// The class object of TrovelleCache: every request is answered by the one cache object.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include "CacheObject.h"
#include "ClassFactory.h"

namespace trovelle {

class CacheFactory : public ClassFactoryBase {
public:
    CacheFactory();
    ~CacheFactory() override;

    // What the one cache object will be made with; set before the class object is registered.
    void SetOptions(CacheServerOptions options) { options_ = std::move(options); }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** result) override;
    // Gives back the factory's own reference (at process end, before COM goes away).
    void Teardown();

private:
    CRITICAL_SECTION lock_;
    Microsoft::WRL::ComPtr<IUnknown> instance_;
    TrovelleCacheObject* object_ = nullptr;  // the same object as `instance_`, for its counters
    HRESULT failure_ = S_OK;
    CacheServerOptions options_;  // a failed creation is remembered and never retried
};

}  // namespace trovelle
