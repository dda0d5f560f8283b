#include "BrowserProcess.h"

#include <commctrl.h>

#include <cstring>
#include <cwchar>

#include "Eventually.h"
#include "ScreenCapture.h"

namespace trovelle::driver {
namespace {

constexpr wchar_t kWindowClass[] = L"TrovelleBrowser";
constexpr wchar_t kTitleTail[] = L" - Trovelle Pro";
constexpr size_t kTextUnits = 520;
constexpr auto kPoll = Milliseconds(50);

// Polls a condition until it holds or `bound` passes.
template <typename Condition>
bool Within(Milliseconds bound, Condition&& condition) {
    return BecomesTrueWithin(bound, std::forward<Condition>(condition), kPoll);
}

// A structure followed by room for a text, as the list, header and status bar fill them.
template <typename Structure>
std::vector<BYTE> WithText(const Structure& structure) {
    std::vector<BYTE> bytes(sizeof(Structure) + kTextUnits * sizeof(wchar_t), 0);
    std::memcpy(bytes.data(), &structure, sizeof(Structure));
    return bytes;
}

std::wstring TextAfter(const std::vector<BYTE>& bytes, size_t offset) {
    const auto* text = reinterpret_cast<const wchar_t*>(bytes.data() + offset);
    return std::wstring(text, ::wcsnlen(text, kTextUnits - 1));
}

}  // namespace

BrowserProcess::BrowserProcess(const std::wstring& folder, const std::wstring& program) {
    std::wstring command = L"\"" + program + L"\"";
    if (!folder.empty()) command += L" \"" + folder + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &started)) {
        return;
    }
    process_.Reset(started.hProcess);
    ::CloseHandle(started.hThread);
    processId_ = started.dwProcessId;
    // The window is shown once its bars, bands and list are in place.
    Within(Milliseconds(15000), [&] {
        window_ = FindOwnWindow();
        return window_ != nullptr && ::IsWindowVisible(window_);
    });
}

BrowserProcess::~BrowserProcess() {
    if (process_ && !Close()) ::TerminateProcess(process_.Get(), 9);
}

bool BrowserProcess::Close(Milliseconds bound) {
    if (!process_) return true;
    if (::IsWindow(window_)) ::PostMessageW(window_, WM_CLOSE, 0, 0);
    return ::WaitForSingleObject(process_.Get(), static_cast<DWORD>(bound.count())) == WAIT_OBJECT_0;
}

DWORD BrowserProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process_.Get(), &code);
    return code;
}

HWND BrowserProcess::FindOwnWindow() const {
    for (HWND window = ::FindWindowExW(nullptr, nullptr, kWindowClass, nullptr); window != nullptr;
         window = ::FindWindowExW(nullptr, window, kWindowClass, nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == processId_) return window;
    }
    return nullptr;
}

HWND BrowserProcess::Child(const wchar_t* className, const wchar_t* title) const {
    struct Search {
        const wchar_t* className;
        const wchar_t* title;
        HWND found;
    } search{className, title, nullptr};
    ::EnumChildWindows(
        window_,
        [](HWND child, LPARAM parameter) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(parameter);
            wchar_t name[64] = {}, text[64] = {};
            ::GetClassNameW(child, name, 64);
            ::GetWindowTextW(child, text, 64);
            if (_wcsicmp(name, s.className) == 0 && (s.title == nullptr || wcscmp(text, s.title) == 0)) {
                s.found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND BrowserProcess::List() const { return Child(WC_LISTVIEWW); }
HWND BrowserProcess::Tree() const { return Child(WC_TREEVIEWW); }
HWND BrowserProcess::Address() const { return Child(L"Edit"); }

std::wstring BrowserProcess::Title() const {
    wchar_t text[kTextUnits] = {};
    ::GetWindowTextW(window_, text, static_cast<int>(kTextUnits));
    return text;
}

bool BrowserProcess::WaitForFolder(const std::wstring& folder, Milliseconds bound) const {
    return Within(bound, [&] { return Title() == folder + kTitleTail; });
}

LRESULT BrowserProcess::SendWithRemote(HWND target, UINT message, WPARAM wParam,
                                       std::vector<BYTE>& bytes, size_t structureSize,
                                       size_t pointerField) const {
    const UniqueKernelHandle process(::OpenProcess(
        PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId_));
    if (!process) return 0;
    BYTE* remote = static_cast<BYTE*>(::VirtualAllocEx(process.Get(), nullptr, bytes.size(),
                                                       MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (remote == nullptr) return 0;
    if (structureSize != 0) {
        BYTE* text = remote + structureSize;
        std::memcpy(bytes.data() + pointerField, &text, sizeof(text));
    }
    ::WriteProcessMemory(process.Get(), remote, bytes.data(), bytes.size(), nullptr);
    const LRESULT result = ::SendMessageW(target, message, wParam, reinterpret_cast<LPARAM>(remote));
    ::ReadProcessMemory(process.Get(), remote, bytes.data(), bytes.size(), nullptr);
    ::VirtualFreeEx(process.Get(), remote, 0, MEM_RELEASE);
    return result;
}

template <typename Structure>
std::wstring BrowserProcess::RemoteText(HWND target, UINT message, WPARAM wParam,
                                        Structure structure, size_t pointerField) const {
    std::vector<BYTE> bytes = WithText(structure);
    SendWithRemote(target, message, wParam, bytes, sizeof(Structure), pointerField);
    return TextAfter(bytes, sizeof(Structure));
}

int BrowserProcess::RowCount() const {
    return static_cast<int>(::SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
}

int BrowserProcess::ColumnCount() const {
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(List(), LVM_GETHEADER, 0, 0));
    return static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

std::wstring BrowserProcess::ColumnTitle(int column) const {
    LVCOLUMNW info = {};
    info.mask = LVCF_TEXT;
    info.cchTextMax = static_cast<int>(kTextUnits);
    return RemoteText(List(), LVM_GETCOLUMNW, static_cast<WPARAM>(column), info,
                      offsetof(LVCOLUMNW, pszText));
}

int BrowserProcess::ColumnNamed(const std::wstring& title) const {
    const int columns = ColumnCount();
    for (int column = 0; column < columns; ++column) {
        if (ColumnTitle(column) == title) return column;
    }
    return -1;
}

std::wstring BrowserProcess::Cell(int row, int column) const {
    LVITEMW item = {};
    item.iSubItem = column;
    item.cchTextMax = static_cast<int>(kTextUnits);
    return RemoteText(List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), item,
                      offsetof(LVITEMW, pszText));
}

std::vector<std::wstring> BrowserProcess::ColumnTitles() const {
    std::vector<std::wstring> titles;
    for (int column = 0; column < ColumnCount(); ++column) titles.push_back(ColumnTitle(column));
    return titles;
}

std::wstring BrowserProcess::TreeText(HTREEITEM item) const {
    TVITEMW info = {};
    info.mask = TVIF_TEXT | TVIF_HANDLE;
    info.hItem = item;
    info.cchTextMax = static_cast<int>(kTextUnits);
    return RemoteText(Tree(), TVM_GETITEMW, 0, info, offsetof(TVITEMW, pszText));
}

std::vector<HTREEITEM> BrowserProcess::TreeItemsBelow(HTREEITEM parent) const {
    std::vector<HTREEITEM> items;
    const HWND tree = Tree();
    auto next = [&](HTREEITEM item, UINT relation) {
        return reinterpret_cast<HTREEITEM>(
            ::SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
    };
    for (HTREEITEM item = next(parent, parent == nullptr ? TVGN_ROOT : TVGN_CHILD); item != nullptr;
         item = next(item, TVGN_NEXT)) {
        items.push_back(item);
    }
    return items;
}

HTREEITEM BrowserProcess::TreeItemOf(const std::wstring& folder) const {
    if (folder.size() < 2 || folder[1] != L':') return nullptr;
    // A drive's node shows its name with "(D:)"; below it, each node shows its folder's name.
    const std::wstring drive = L"(" + folder.substr(0, 2) + L")";
    HTREEITEM found = nullptr;
    for (const HTREEITEM root : TreeItemsBelow(nullptr)) {
        const std::wstring text = TreeText(root);
        if (text.find(drive) != std::wstring::npos || _wcsicmp(text.c_str(), folder.substr(0, 3).c_str()) == 0) {
            found = root;
        }
    }
    for (size_t start = 3; found != nullptr && start < folder.size();) {
        const size_t end = std::min(folder.find(L'\\', start), folder.size());
        const std::wstring name = folder.substr(start, end - start);
        HTREEITEM child = nullptr;
        for (const HTREEITEM item : TreeItemsBelow(found)) {
            if (_wcsicmp(TreeText(item).c_str(), name.c_str()) == 0) child = item;
        }
        found = child;
        start = end + 1;
    }
    return found;
}

std::vector<std::wstring> BrowserProcess::TreeChildren(const std::wstring& folder) const {
    std::vector<std::wstring> names;
    const HTREEITEM item = TreeItemOf(folder);
    if (item == nullptr) return names;
    for (const HTREEITEM child : TreeItemsBelow(item)) names.push_back(TreeText(child));
    return names;
}

std::vector<std::wstring> BrowserProcess::Names() const {
    std::vector<std::wstring> names;
    const int rows = RowCount();
    for (int row = 0; row < rows; ++row) names.push_back(Cell(row, 0));
    return names;
}

int BrowserProcess::RowNamed(const std::wstring& name) const {
    const std::vector<std::wstring> names = Names();
    for (size_t row = 0; row < names.size(); ++row) {
        if (names[row] == name) return static_cast<int>(row);
    }
    return -1;
}

std::wstring BrowserProcess::StatusText(int part) const {
    std::vector<BYTE> bytes(kTextUnits * sizeof(wchar_t), 0);
    SendWithRemote(Child(STATUSCLASSNAMEW), SB_GETTEXTW, static_cast<WPARAM>(part), bytes);
    return TextAfter(bytes, 0);
}

bool BrowserProcess::WaitUntilMeasured(Milliseconds bound) const {
    return Within(bound, [&] {
        if (RowCount() == 0 || StatusText(2).find(L"Measuring") != std::wstring::npos) return false;
        const int rows = RowCount(), columns = ColumnCount();
        for (int row = 0; row < rows; ++row) {
            for (int column = 1; column < columns; ++column) {
                if (Cell(row, column) == kNotYetMeasured) return false;
            }
        }
        return true;
    });
}

int BrowserProcess::SortArrow(int column) const {
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(List(), LVM_GETHEADER, 0, 0));
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    std::vector<BYTE> bytes(sizeof(item));
    std::memcpy(bytes.data(), &item, sizeof(item));
    SendWithRemote(header, HDM_GETITEMW, static_cast<WPARAM>(column), bytes);
    std::memcpy(&item, bytes.data(), sizeof(item));
    return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
}

void BrowserProcess::ClickColumn(int column) const {
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(List(), LVM_GETHEADER, 0, 0));
    std::vector<BYTE> bytes(sizeof(RECT), 0);
    SendWithRemote(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), bytes);
    RECT bounds;
    std::memcpy(&bounds, bytes.data(), sizeof(bounds));
    const LPARAM point = MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
    ::PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::PostMessageW(header, WM_LBUTTONUP, 0, point);
}

void BrowserProcess::Select(int row) const {
    auto setState = [&](int position, UINT state) {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = state;
        std::vector<BYTE> bytes(sizeof(item));
        std::memcpy(bytes.data(), &item, sizeof(item));
        SendWithRemote(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(position), bytes);
    };
    setState(-1, 0);  // -1: every row
    setState(row, LVIS_SELECTED | LVIS_FOCUSED);
}

void BrowserProcess::PressKey(HWND target, UINT key, bool alt) const {
    const LPARAM down = 1 | (alt ? (1 << 29) : 0);
    const UINT message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    ::PostMessageW(target, message, key, down);
    ::PostMessageW(target, alt ? WM_SYSKEYUP : WM_KEYUP, key, down | 0xC0000000);
}

void BrowserProcess::TypeAddress(const std::wstring& text) const {
    const HWND address = Address();
    ::SendMessageW(address, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageW(address, WM_SETFOCUS, 0, 0);
    ::SetForegroundWindow(window_);
    PressKey(address, VK_RETURN);
}

void BrowserProcess::ContextMenuOnRow(int row) const {
    std::vector<BYTE> bytes(sizeof(RECT), 0);
    RECT bounds = {LVIR_LABEL, 0, 0, 0};
    std::memcpy(bytes.data(), &bounds, sizeof(bounds));
    SendWithRemote(List(), LVM_GETITEMRECT, static_cast<WPARAM>(row), bytes);
    std::memcpy(&bounds, bytes.data(), sizeof(bounds));
    POINT centre = {(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
    ::ClientToScreen(List(), &centre);
    ::PostMessageW(window_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List()), MAKELPARAM(centre.x, centre.y));
}

void BrowserProcess::ChangeDpi(UINT dpi, const RECT& suggested) const {
    // The rectangle is lent over there: the message carries a pointer.
    std::vector<BYTE> bytes(sizeof(RECT));
    std::memcpy(bytes.data(), &suggested, sizeof(RECT));
    SendWithRemote(window_, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), bytes);
}

bool BrowserProcess::SavePicture(const std::wstring& path) const {
    ::RedrawWindow(window_, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::Sleep(300);  // the window paints in its own process
    return SaveScreenPicture(window_, path, CaptureArea::Window);
}

HWND WaitForMessageBox(const wchar_t* caption, Milliseconds bound) {
    HWND box = nullptr;
    Within(bound, [&] { return (box = ::FindWindowW(L"#32770", caption)) != nullptr; });
    return box;
}

std::wstring MessageBoxText(HWND box) {
    std::wstring longest;
    ::EnumChildWindows(
        box,
        [](HWND child, LPARAM parameter) -> BOOL {
            auto& text = *reinterpret_cast<std::wstring*>(parameter);
            wchar_t name[32] = {}, shown[kTextUnits] = {};
            ::GetClassNameW(child, name, 32);
            ::GetWindowTextW(child, shown, static_cast<int>(kTextUnits));
            if (_wcsicmp(name, L"Static") == 0 && ::wcslen(shown) > text.size()) text = shown;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&longest));
    return longest;
}

}  // namespace trovelle::driver
