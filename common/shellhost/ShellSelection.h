// Items of one folder as the shell sees them: their ID lists and the folder that hands out their
// UI objects (context menu, data object), as Explorer's view holds a selection.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <memory>
#include <string>
#include <vector>

namespace trovelle::host {

struct IdListFree {
    void operator()(ITEMIDLIST* list) const { ::CoTaskMemFree(list); }
};
using UniqueIdList = std::unique_ptr<ITEMIDLIST, IdListFree>;

// The absolute ID list of a full path of any length (the \\?\ form is tried for long ones).
HRESULT ParsePath(const std::wstring& path, UniqueIdList& item);

class ShellSelection {
public:
    // Every path must lie in the same folder; an empty list or paths of different folders are
    // E_INVALIDARG.
    HRESULT Open(const std::vector<std::wstring>& paths);

    // IShellFolder::GetUIObjectOf for the items (IID_IContextMenu, IID_IDataObject, ...).
    template <typename Interface>
    HRESULT UIObject(HWND owner, Microsoft::WRL::ComPtr<Interface>& object) const {
        std::vector<PCUITEMID_CHILD> children;
        for (const UniqueIdList& item : items_) children.push_back(::ILFindLastID(item.get()));
        return folder_->GetUIObjectOf(owner, static_cast<UINT>(children.size()), children.data(),
                                      __uuidof(Interface), nullptr,
                                      reinterpret_cast<void**>(object.ReleaseAndGetAddressOf()));
    }

    const std::vector<UniqueIdList>& Items() const { return items_; }

private:
    std::vector<UniqueIdList> items_;
    Microsoft::WRL::ComPtr<IShellFolder> folder_;
};

}  // namespace trovelle::host
