// Trovelle Pro's window worked from another process, as a user would: started on a folder, its
// title, list, cells, header and status bar read, keys pressed and column headers clicked. The
// tests, the demonstration and the benchmark drive it this one way. The driver must run in the
// window's desktop (Wine's virtual desktop, for pictures with a frame).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <string>
#include <vector>

#include "UniqueHandle.h"

namespace trovelle::driver {

inline constexpr wchar_t kInstalledBrowser[] = L"C:\\Program Files\\Trovelle Pro\\TrovelleBrowser.exe";
// Shown in a cell that is still being measured.
inline constexpr wchar_t kNotYetMeasured[] = L"\u2026";

using Milliseconds = std::chrono::milliseconds;

class BrowserProcess {
public:
    // Starts `program` on `folder` (none: no argument) and waits (bounded) for its window.
    explicit BrowserProcess(const std::wstring& folder,
                            const std::wstring& program = kInstalledBrowser);
    ~BrowserProcess();  // closes the window, waits, and ends the process if it will not
    BrowserProcess(const BrowserProcess&) = delete;
    BrowserProcess& operator=(const BrowserProcess&) = delete;

    HWND Window() const { return window_; }
    HANDLE Process() const { return process_.Get(); }
    DWORD ExitCode() const;
    // Closes the window and waits for the process to end; false when it did not within `bound`.
    bool Close(Milliseconds bound = Milliseconds(10000));

    HWND Child(const wchar_t* className, const wchar_t* title = nullptr) const;
    HWND List() const;
    HWND Tree() const;
    HWND Address() const;
    std::wstring Title() const;
    // The folder the title names ("D:\Sample - Trovelle Pro" shows "D:\Sample").
    bool WaitForFolder(const std::wstring& folder, Milliseconds bound = Milliseconds(15000)) const;

    int RowCount() const;
    int ColumnCount() const;
    std::wstring ColumnTitle(int column) const;
    int ColumnNamed(const std::wstring& title) const;  // -1 when there is none
    std::vector<std::wstring> ColumnTitles() const;
    std::wstring Cell(int row, int column) const;
    int RowNamed(const std::wstring& name) const;  // by the Name column; -1 when not shown
    std::vector<std::wstring> Names() const;       // the Name column, top to bottom
    std::wstring StatusText(int part) const;
    // The folder tree: the node of a folder ("D:\\Sample"; nullptr while it is not shown), its
    // text, and the names of the nodes below a folder's node, top to bottom.
    HTREEITEM TreeItemOf(const std::wstring& folder) const;
    std::wstring TreeText(HTREEITEM item) const;
    std::vector<std::wstring> TreeChildren(const std::wstring& folder) const;
    // Every handler cell answered and no folder being measured.
    bool WaitUntilMeasured(Milliseconds bound = Milliseconds(30000)) const;

    // HDF_SORTUP, HDF_SORTDOWN or 0: the arrow the column's header shows.
    int SortArrow(int column) const;
    void ClickColumn(int column) const;
    void Select(int row) const;  // selects and focuses one row
    void PressKey(HWND target, UINT key, bool alt = false) const;
    void TypeAddress(const std::wstring& text) const;  // and presses Enter in the box
    // A right click's context menu on a row of the list (WM_CONTEXTMENU at the row's centre).
    void ContextMenuOnRow(int row) const;
    // WM_DPICHANGED as the system sends it when the window moves to a monitor of `dpi`.
    void ChangeDpi(UINT dpi, const RECT& suggested) const;

    // The window, frame and all, as a .bmp file.
    bool SavePicture(const std::wstring& path) const;

private:
    HWND FindOwnWindow() const;
    std::vector<HTREEITEM> TreeItemsBelow(HTREEITEM parent) const;
    // Sends `message` with lParam pointing at a copy of `bytes` lent in the window's process,
    // and reads that copy back into `bytes` afterwards. A structure with a text pointer (at
    // `pointerField`) gets it pointed at the room after the structure (`structureSize`).
    LRESULT SendWithRemote(HWND target, UINT message, WPARAM wParam, std::vector<BYTE>& bytes,
                           size_t structureSize = 0, size_t pointerField = 0) const;
    // Texts kept in a structure of the window's controls (LVITEMW, LVCOLUMNW, none for the
    // status bar's), read through a copy lent over there.
    template <typename Structure>
    std::wstring RemoteText(HWND target, UINT message, WPARAM wParam, Structure structure,
                            size_t pointerField) const;

    UniqueKernelHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

// A top-level message box of the window's, by its caption, or nullptr after `bound`.
HWND WaitForMessageBox(const wchar_t* caption, Milliseconds bound = Milliseconds(10000));
// The text of a message box (its longest static text).
std::wstring MessageBoxText(HWND box);

}  // namespace trovelle::driver
