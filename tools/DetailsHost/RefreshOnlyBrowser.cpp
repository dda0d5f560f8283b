#include "RefreshOnlyBrowser.h"

#include <new>

namespace trovelle::host {

RefreshOnlyBrowser* RefreshOnlyBrowser::Create(std::function<void()> refresh) {
    return new (std::nothrow) RefreshOnlyBrowser(std::move(refresh));
}

HRESULT RefreshOnlyBrowser::QueryInterface(REFIID iid, void** result) {
    if (result == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IWebBrowser ||
        iid == IID_IWebBrowserApp || iid == IID_IWebBrowser2) {
        *result = static_cast<IWebBrowser2*>(this);
        AddRef();
        return S_OK;
    }
    *result = nullptr;
    return E_NOINTERFACE;
}

ULONG RefreshOnlyBrowser::AddRef() { return ++references_; }

ULONG RefreshOnlyBrowser::Release() {
    const ULONG count = --references_;
    if (count == 0) delete this;
    return count;
}

HRESULT RefreshOnlyBrowser::Refresh() {
    ++refreshCount_;
    if (refresh_) refresh_();
    return S_OK;
}

}  // namespace trovelle::host
