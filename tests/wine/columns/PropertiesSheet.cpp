#include "PropertiesSheet.h"

#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <memory>

#include "ColumnTestSupport.h"
#include "ResourceIds.h"

namespace trovelle::test {
namespace {

struct IdListFree {
    void operator()(ITEMIDLIST* list) const { ::CoTaskMemFree(list); }
};
using UniqueIdList = std::unique_ptr<ITEMIDLIST, IdListFree>;

BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM pages) {
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(pages)->push_back(page);
    return TRUE;
}

Microsoft::WRL::ComPtr<IDataObject> SelectionOf(const std::vector<std::wstring>& paths) {
    std::vector<UniqueIdList> items;
    for (const std::wstring& path : paths) {
        PIDLIST_ABSOLUTE item = nullptr;
        EXPECT_EQ(::SHParseDisplayName(path.c_str(), nullptr, &item, 0, nullptr), S_OK) << path.c_str();
        if (item == nullptr) return nullptr;
        items.emplace_back(item);
    }
    // The parent folder hands out the data object of its items, as Explorer asks for it.
    Microsoft::WRL::ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD first = nullptr;
    EXPECT_EQ(::SHBindToParent(items.front().get(), IID_PPV_ARGS(&parent), &first), S_OK);
    if (!parent) return nullptr;
    std::vector<PCUITEMID_CHILD> children;
    for (const UniqueIdList& item : items) children.push_back(::ILFindLastID(item.get()));
    Microsoft::WRL::ComPtr<IDataObject> selection;
    EXPECT_EQ(parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(),
                                    IID_IDataObject, nullptr, &selection),
              S_OK);
    return selection;
}

}  // namespace

PropertiesSheet::PropertiesSheet(const std::vector<std::wstring>& paths,
                                 const std::function<void()>& beforePages,
                                 Microsoft::WRL::ComPtr<IShellExtInit> handler) {
    if (!handler) {
        EXPECT_EQ(::CoCreateInstance(kTrovexFolderProperties, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_PPV_ARGS(&handler)),
                  S_OK)
            << "is the folder page registered?";
    }
    const Microsoft::WRL::ComPtr<IDataObject> selection = SelectionOf(paths);
    if (!handler || !selection) return;
    EXPECT_EQ(handler->Initialize(nullptr, selection.Get(), nullptr), S_OK);
    if (beforePages) beforePages();
    Microsoft::WRL::ComPtr<IShellPropSheetExt> pages;
    EXPECT_EQ(handler.As(&pages), S_OK);
    std::vector<HPROPSHEETPAGE> added;
    EXPECT_EQ(pages->AddPages(CollectPage, reinterpret_cast<LPARAM>(&added)), S_OK);
    EXPECT_EQ(added.size(), 1u);
    if (added.empty()) return;
    // The shell lets the handler go once its pages are added; the pages live on.
    pages.Reset();
    handler.Reset();

    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW | PSH_PROPTITLE;
    header.pszCaption = paths.size() == 1 ? paths.front().c_str() : L"Several items";
    header.nPages = static_cast<UINT>(added.size());
    header.phpage = added.data();
    sheet_ = reinterpret_cast<HWND>(::PropertySheetW(&header));
    EXPECT_NE(sheet_, nullptr);
    if (sheet_ != nullptr) ::SetWindowPos(sheet_, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
}

PropertiesSheet::~PropertiesSheet() { Close(); }

HWND PropertiesSheet::Page() const {
    return sheet_ == nullptr ? nullptr : PropSheet_GetCurrentPageHwnd(sheet_);
}

std::wstring PropertiesSheet::Text(int id) const {
    wchar_t text[1024] = {};
    ::GetDlgItemTextW(Page(), id, text, static_cast<int>(std::size(text)));
    return text;
}

bool PropertiesSheet::Visible(int id) const {
    return (::GetWindowLongW(::GetDlgItem(Page(), id), GWL_STYLE) & WS_VISIBLE) != 0;
}

std::vector<std::vector<std::wstring>> PropertiesSheet::Rows() const {
    // The list lives in this process, so its texts are read directly.
    const HWND list = ::GetDlgItem(Page(), IDC_LARGEST);
    std::vector<std::vector<std::wstring>> rows(ListView_GetItemCount(list));
    const int columns = Header_GetItemCount(ListView_GetHeader(list));
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        for (int column = 0; column < columns; ++column) {
            wchar_t text[512] = {};
            ListView_GetItemText(list, row, column, text, static_cast<int>(std::size(text)));
            rows[row].push_back(text);
        }
    }
    return rows;
}

void PropertiesSheet::Pump(std::chrono::milliseconds span) {
    const auto end = std::chrono::steady_clock::now() + span;
    do {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (sheet_ != nullptr && PropSheet_IsDialogMessage(sheet_, &message)) continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (std::chrono::steady_clock::now() < end);
}

bool PropertiesSheet::WaitForAnswer(const std::wstring& measuring, std::chrono::milliseconds bound) {
    const auto end = std::chrono::steady_clock::now() + bound;
    while (Text(IDC_TOTAL) == measuring) {
        if (std::chrono::steady_clock::now() >= end) return false;
        Pump(std::chrono::milliseconds(20));
    }
    return true;
}

void PropertiesSheet::Close() {
    if (sheet_ == nullptr) return;
    PropSheet_PressButton(sheet_, PSBTN_CANCEL);
    Pump(std::chrono::milliseconds(50));
    ::DestroyWindow(sheet_);
    sheet_ = nullptr;
    Pump(std::chrono::milliseconds(50));
}

}  // namespace trovelle::test
