// The class object of TrovelleCache: every request is answered by the one cache object.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include "CacheObject.h"
#include "ClassFactory.h"
#include "CriticalSection.h"

namespace trovelle {

class CacheFactory final : public ClassFactoryBase<CacheFactory> {
public:
    // What the one cache object will be made with.
    explicit CacheFactory(CacheServerOptions options) : options_(std::move(options)) {}

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** result) override;
    // Refuses every later creation (CO_E_SERVER_STOPPING) unless `busy` says otherwise; asked
    // under the creation lock, so no creation slips between the answer and the refusal.
    bool CloseUnless(bool (*busy)());
    // Gives back the factory's own reference (at process end, before COM goes away).
    void Teardown();

private:
    CriticalSection lock_;
    Microsoft::WRL::ComPtr<TrovelleCacheObject> instance_;  // the server's own reference
    HRESULT failure_ = S_OK;  // a failed creation is remembered and never retried
    bool closed_ = false;     // the server is ending: a successor serves new clients
    const CacheServerOptions options_;
};

}  // namespace trovelle
