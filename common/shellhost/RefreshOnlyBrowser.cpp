#include "RefreshOnlyBrowser.h"

namespace trovelle::host {

const QITAB RefreshOnlyBrowser::kInterfaces[] = {
    Answers<RefreshOnlyBrowser, IWebBrowser2>(IID_IWebBrowser2),
    Answers<RefreshOnlyBrowser, IWebBrowser2>(IID_IDispatch),
    Answers<RefreshOnlyBrowser, IWebBrowser2>(IID_IWebBrowser),
    Answers<RefreshOnlyBrowser, IWebBrowser2>(IID_IWebBrowserApp),
    {},
};

HRESULT RefreshOnlyBrowser::Refresh() {
    ++refreshCount_;
    if (refresh_) refresh_();
    return S_OK;
}

}  // namespace trovelle::host
