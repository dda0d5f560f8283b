#include "FolderPropertiesHandler.h"

#include <shellapi.h>

#include "FolderPage.h"

namespace trovelle {
namespace {

// Storage medium released at the end of a scope.
class StorageMedium {
public:
    StorageMedium() = default;
    ~StorageMedium() { ::ReleaseStgMedium(&medium_); }
    StorageMedium(const StorageMedium&) = delete;
    StorageMedium& operator=(const StorageMedium&) = delete;
    STGMEDIUM* Put() { return &medium_; }
    // The dropped-files handle, or null when the medium is not global memory.
    HDROP Files() const {
        return medium_.tymed == TYMED_HGLOBAL ? static_cast<HDROP>(medium_.hGlobal) : nullptr;
    }

private:
    STGMEDIUM medium_{};
};

}  // namespace

const QITAB TrovexFolderProperties::kInterfaces[] = {
    Answers<TrovexFolderProperties, IShellExtInit>(IID_IShellExtInit),
    Answers<TrovexFolderProperties, IShellPropSheetExt>(IID_IShellPropSheetExt),
    {},
};

HRESULT SelectedPaths(IDataObject* selection, std::vector<std::wstring>& paths) {
    paths.clear();
    if (selection == nullptr) return E_INVALIDARG;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    StorageMedium medium;
    HRESULT hr = selection->GetData(&format, medium.Put());
    if (FAILED(hr)) return hr;
    const HDROP files = medium.Files();
    if (files == nullptr) return E_INVALIDARG;
    const UINT count = ::DragQueryFileW(files, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count; ++index) {
        const UINT length = ::DragQueryFileW(files, index, nullptr, 0);
        if (length == 0) continue;  // an item without a file-system path
        std::wstring path(length + 1, L'\0');
        ::DragQueryFileW(files, index, path.data(), length + 1);
        path.resize(length);
        paths.push_back(std::move(path));
    }
    return paths.empty() ? E_INVALIDARG : S_OK;
}

HRESULT TrovexFolderProperties::Initialize(PCIDLIST_ABSOLUTE, IDataObject* selection, HKEY) {
    return SelectedPaths(selection, paths_);
}

HRESULT TrovexFolderProperties::AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM lParam) {
    if (addPage == nullptr) return E_INVALIDARG;
    if (paths_.empty()) return E_UNEXPECTED;  // not initialised with a selection
    const HPROPSHEETPAGE page = CreateFolderPage(paths_);
    if (page == nullptr) return E_OUTOFMEMORY;
    if (!addPage(page, lParam)) {
        ::DestroyPropertySheetPage(page);
        return E_FAIL;
    }
    return S_OK;
}

}  // namespace trovelle
