// TrovexFolderProperties: the property-sheet handler Explorer loads for the Properties of
// folders and drives; it adds the "Trovelle Pro" page.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "ComObject.h"
#include "Guids.h"

namespace trovelle {

class TrovexFolderProperties final
    : public ComObject<TrovexFolderProperties, IShellExtInit, IShellPropSheetExt> {
public:
    static const QITAB kInterfaces[];

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* selection, HKEY) override;
    // IShellPropSheetExt
    STDMETHODIMP AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM lParam) override;
    STDMETHODIMP ReplacePage(EXPPS, LPFNSVADDPROPSHEETPAGE, LPARAM) override { return E_NOTIMPL; }

private:
    std::vector<std::wstring> paths_;
};

// The file-system paths of the items in a shell data object, in order; an error when it holds
// none or an item has no path.
HRESULT SelectedPaths(IDataObject* selection, std::vector<std::wstring>& paths);

}  // namespace trovelle
