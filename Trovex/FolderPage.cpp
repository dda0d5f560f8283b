#include "FolderPage.h"

#include <commctrl.h>

#include <atomic>
#include <cwchar>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "BackgroundWork.h"
#include "ColumnSettings.h"
#include "CtlColorHandler.h"
#include "DialogWindow.h"
#include "ModuleLock.h"
#include "ModuleText.h"
#include "PageTexts.h"
#include "ParentFolder.h"
#include "ProductSkin.h"
#include "Registrar.h"
#include "ResourceIds.h"
#include "SelectionMeasurement.h"
#include "UniqueHandle.h"
#include "WideText.h"
#include "text/CommandLineArgument.h"
#include "text/PercentText.h"

namespace trovelle {
namespace {

constexpr wchar_t kBrowserProgram[] = L"\\TrovelleBrowser.exe";
constexpr int kHeaders[] = {IDC_PAGE_NAME, IDC_LARGEST_HEADER};
enum LargestColumn : int { kNameColumn, kSizeColumn, kOnDiskColumn, kShareColumn };

// What the page and its measuring thread share; whichever lets go last frees it. The page may
// be gone before the answer comes: the answer is then dropped, and nothing is posted.
class PageMeasurement {
public:
    explicit PageMeasurement(HWND page) : page_(page) {}

    void Deliver(SelectionMeasurement answer) {
        const std::lock_guard<std::mutex> hold(lock_);
        answer_ = std::move(answer);
        if (page_ != nullptr) ::PostMessageW(page_, kMeasuredMessage, 0, 0);
    }
    std::optional<SelectionMeasurement> Take() {
        const std::lock_guard<std::mutex> hold(lock_);
        return std::exchange(answer_, std::nullopt);
    }
    void Detach() {
        cancelled = true;
        const std::lock_guard<std::mutex> hold(lock_);
        page_ = nullptr;
    }

    std::atomic<bool> cancelled{false};

private:
    std::mutex lock_;
    HWND page_;
    std::optional<SelectionMeasurement> answer_;
};

void Show(HWND control, bool shown) { ::ShowWindow(control, shown ? SW_SHOW : SW_HIDE); }

std::wstring BrowserPath() {
    const std::wstring module = ThisModulePath();
    if (!HasParentFolder(module)) return {};
    return std::wstring(ParentFolder(module)) + kBrowserProgram;
}

class FolderPage {
public:
    explicit FolderPage(std::vector<std::wstring> paths) : paths_(std::move(paths)) {
        settings_.Reread();
    }

    HPROPSHEETPAGE Create() {
        PROPSHEETPAGEW page{};
        page.dwSize = sizeof(page);
        page.dwFlags = PSP_USECALLBACK;
        page.hInstance = ThisModule();
        page.pszTemplate = MAKEINTRESOURCEW(IDD_FOLDER_PAGE);
        page.pfnDlgProc = DialogProc;
        page.pfnCallback = PageCallback;
        page.lParam = reinterpret_cast<LPARAM>(this);
        return ::CreatePropertySheetPageW(&page);
    }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            const auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
            ::SetWindowLongPtrW(window, DWLP_USER, page->lParam);
        }
        auto* self = reinterpret_cast<FolderPage*>(::GetWindowLongPtrW(window, DWLP_USER));
        if (self == nullptr) return FALSE;
        LRESULT result = 0;
        if (self->colors_.AnswerCtlColor(message, wParam, lParam, result)) {
            return static_cast<INT_PTR>(result);  // the brush, returned directly
        }
        switch (message) {
            case WM_INITDIALOG: self->OnInitDialog(window); return TRUE;
            case kMeasuredMessage: self->OnMeasured(); return TRUE;
            case WM_ERASEBKGND: return self->EraseBackground(reinterpret_cast<HDC>(wParam));
            case WM_COMMAND:
                if (LOWORD(wParam) != IDC_OPEN || HIWORD(wParam) != BN_CLICKED) return FALSE;
                self->OnOpen();
                return TRUE;
            case WM_NOTIFY: return self->OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
            case WM_DESTROY:
                if (self->measurement_) self->measurement_->Detach();
                return FALSE;
            case WM_NCDESTROY: ::SetWindowLongPtrW(window, DWLP_USER, 0); return FALSE;
            default: return FALSE;
        }
    }

    // The sheet (or the shell, for a page it did not use) releases the page once.
    static UINT CALLBACK PageCallback(HWND, UINT message, PROPSHEETPAGEW* page) {
        if (message == PSPCB_RELEASE) delete reinterpret_cast<FolderPage*>(page->lParam);
        return 1;
    }

    HWND Item(int id) const { return ::GetDlgItem(window_, id); }

    // The sheet may draw its pages in the theme's colour; this page wears the product's.
    BOOL EraseBackground(HDC dc) const {
        if (colors_.EntryCount() == 0 || colors_.Entry(0).brush == nullptr) return FALSE;
        RECT area{};
        ::GetClientRect(window_, &area);
        ::FillRect(dc, &area, colors_.Entry(0).brush);
        ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);  // erased
        return TRUE;
    }

    void OnInitDialog(HWND window) {
        window_ = window;
        const bool one = paths_.size() == 1;
        ::SetDlgItemTextW(window_, IDC_PAGE_NAME,
                          one ? paths_.front().c_str() : ItemCountText().c_str());
        ::SetDlgItemTextW(window_, IDC_TOTAL, LoadModuleText(IDS_MEASURING).c_str());
        Show(Item(IDC_SELECTED_LABEL), !one);
        Show(Item(IDC_SELECTED), !one);
        Show(Item(IDC_LARGEST_HEADER), one);
        Show(Item(IDC_LARGEST), one);
        Show(Item(IDC_OPEN), one && ::GetFileAttributesW(BrowserPath().c_str()) != INVALID_FILE_ATTRIBUTES);
        SetUpList();
        ui::ApplySettingsSkin(colors_, window_, kHeaders);
        StartMeasuring();
    }

    std::wstring ItemCountText() const {
        wchar_t text[64] = {};
        std::swprintf(text, std::size(text), LoadModuleText(IDS_ITEMS).c_str(),
                      static_cast<unsigned>(paths_.size()));
        return text;
    }

    void SetUpList() {
        const HWND list = Item(IDC_LARGEST);
        ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
        struct Column { UINT title; int width; int format; };
        const Column columns[] = {{IDS_COLUMN_NAME, 96, LVCFMT_LEFT},
                                  {IDS_COLUMN_SIZE, 78, LVCFMT_RIGHT},
                                  {IDS_COLUMN_ON_DISK, 70, LVCFMT_RIGHT},
                                  {IDS_COLUMN_SHARE, 250, LVCFMT_LEFT}};
        for (int index = 0; index < static_cast<int>(std::size(columns)); ++index) {
            std::wstring title = LoadModuleText(columns[index].title);
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            column.fmt = columns[index].format;
            column.cx = columns[index].width;
            column.pszText = title.data();
            ListView_InsertColumn(list, index, &column);
        }
    }

    void StartMeasuring() {
        measurement_ = std::make_shared<PageMeasurement>(window_);
        const HRESULT hr = RunInBackground(
            [shared = measurement_, paths = paths_, settings = settings_] {
                shared->Deliver(MeasureSelection(paths, settings, shared->cancelled));
            });
        if (FAILED(hr)) {
            ShowFailure({MeasureFailure::Kind::Unreadable, paths_.front(), static_cast<uint32_t>(hr)});
        }
    }

    void OnMeasured() {
        const std::optional<SelectionMeasurement> answer = measurement_->Take();
        if (!answer) return;
        if (answer->failure.kind != MeasureFailure::Kind::None) {
            ShowFailure(answer->failure);
            return;
        }
        ::SetDlgItemTextW(window_, IDC_TOTAL, SizeAndBytesText(answer->total.bytes, settings_).c_str());
        ::SetDlgItemTextW(window_, IDC_ON_DISK,
                          SizeAndBytesText(answer->total.onDisk, settings_).c_str());
        ::SetDlgItemTextW(window_, IDC_SELECTED,
                          FoldersAndFilesText(answer->folders, answer->files).c_str());
        largest_ = answer->largest;
        total_ = answer->total;
        FillList();
    }

    // A click on the Size or On disk header orders the largest items by that number.
    BOOL OnNotify(const NMHDR& header) {
        if (header.idFrom != IDC_LARGEST || header.code != LVN_COLUMNCLICK) return FALSE;
        const int column = reinterpret_cast<const NMLISTVIEW&>(header).iSubItem;
        if (column != kSizeColumn && column != kOnDiskColumn) return FALSE;
        byOnDisk_ = column == kOnDiskColumn;
        FillList();
        return TRUE;
    }

    // The failure takes the place of the numbers, with room for a few lines.
    void ShowFailure(const MeasureFailure& failure) {
        for (const int id : {IDC_ON_DISK_LABEL, IDC_ON_DISK, IDC_SELECTED_LABEL, IDC_SELECTED}) {
            ::SetDlgItemTextW(window_, id, L"");
            Show(Item(id), false);
        }
        RECT lines{0, 0, 154, 32};  // dialog units
        ::MapDialogRect(window_, &lines);
        ::SetWindowPos(Item(IDC_TOTAL), nullptr, 0, 0, lines.right, lines.bottom,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::SetDlgItemTextW(window_, IDC_TOTAL, FailureText(failure).c_str());
    }

    // The largest items by the chosen number, each with its share of the folder's.
    void FillList() {
        const HWND list = Item(IDC_LARGEST);
        ListView_DeleteAllItems(list);
        const std::vector<SizedItem> items = LargestBy(largest_, byOnDisk_, kLargestItemsShown);
        const uint64_t total = byOnDisk_ ? total_.onDisk : total_.bytes;
        for (int row = 0; row < static_cast<int>(items.size()); ++row) {
            const SizedItem& item = items[row];
            std::wstring name = item.name;
            LVITEMW line{};
            line.mask = LVIF_TEXT;
            line.iItem = row;
            line.pszText = name.data();
            ListView_InsertItem(list, &line);
            std::wstring size = SizeText(item.size.bytes, settings_);
            ListView_SetItemText(list, row, kSizeColumn, size.data());
            std::wstring onDisk = SizeText(item.size.onDisk, settings_);
            ListView_SetItemText(list, row, kOnDiskColumn, onDisk.data());
            const uint64_t shown = byOnDisk_ ? item.size.onDisk : item.size.bytes;
            std::wstring share = ToWide(FormatPercentText(shown, total, settings_.PercentText()));
            ListView_SetItemText(list, row, kShareColumn, share.data());
        }
    }

    void OnOpen() {
        const std::wstring program = BrowserPath();
        std::wstring command = ToWide(QuoteArgument(ToCore(program))) + L" " +
                               ToWide(QuoteArgument(ToCore(paths_.front())));
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started{};
        if (::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &started)) {
            UniqueKernelHandle process(started.hProcess);
            UniqueKernelHandle thread(started.hThread);
        }
    }

    const ModuleLockHold moduleLock_;  // the page's code stays while the sheet shows it
    const std::vector<std::wstring> paths_;
    ColumnSettings settings_;
    HWND window_ = nullptr;
    std::shared_ptr<PageMeasurement> measurement_;
    std::vector<SizedItem> largest_;
    ByteTotals total_;
    bool byOnDisk_ = false;  // the largest items are ordered by size on disk
    ui::CtlColorTable colors_{ui::kAllButEditsAndLists};
};

}  // namespace

HPROPSHEETPAGE CreateFolderPage(std::vector<std::wstring> paths) {
    if (paths.empty()) return nullptr;
    auto page = std::make_unique<FolderPage>(std::move(paths));
    const HPROPSHEETPAGE made = page->Create();
    if (made != nullptr) page.release();  // the page's own callback deletes it from now on
    return made;
}

}  // namespace trovelle
