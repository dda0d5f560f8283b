// The demonstration of Trovelle Pro's window: opens FOLDER, sorts it by size (largest first),
// walks into its largest subfolder (the first below it in the folder tree, which orders by size)
// and back, and saves a picture of the window with the tree, the list and the treemap.
//   BrowserTour FOLDER PICTURE.bmp       exit code 0 when every step was seen to happen
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BrowserProcess.h"
#include "CacheServerConnection.h"
#include "ComApartment.h"

namespace {

using namespace trovelle;
using namespace trovelle::driver;

int Fail(const wchar_t* step) {
    std::fwprintf(stderr, L"BrowserTour: %ls\n", step);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return Fail(L"usage: BrowserTour FOLDER PICTURE.bmp");
    const ComApartment apartment;
    const std::wstring folder = argv[1];
    BrowserProcess browser(folder);
    if (browser.Window() == nullptr) return Fail(L"the window did not appear");
    if (!browser.WaitForFolder(folder) || !browser.WaitUntilMeasured()) {
        return Fail(L"the folder was not shown and measured");
    }
    const int sizeColumn = browser.ColumnNamed(L"Size");
    if (sizeColumn < 0) return Fail(L"the size column is missing");
    browser.ClickColumn(sizeColumn);  // a size column sorts largest first
    std::vector<std::wstring> subfolders;
    for (int waited = 0; waited < 10000 && subfolders.empty(); waited += 100) {
        ::Sleep(100);
        subfolders = browser.TreeChildren(folder);
    }
    if (!subfolders.empty()) {
        const int largest = browser.RowNamed(subfolders.front());
        browser.Select(largest);
        browser.PressKey(browser.List(), VK_RETURN);
        std::wstring inside = folder;
        if (inside.back() != L'\\') inside += L'\\';
        if (!browser.WaitForFolder(inside + subfolders.front()) || !browser.WaitUntilMeasured()) {
            return Fail(L"the largest subfolder did not open");
        }
        browser.PressKey(browser.List(), VK_LEFT, true);  // and back, as Alt+Left goes
        if (!browser.WaitForFolder(folder) || !browser.WaitUntilMeasured()) {
            return Fail(L"Back did not return to the folder");
        }
    }
    ::Sleep(1500);  // the treemap's deeper levels come a moment after the list's sizes
    if (!browser.SavePicture(argv[2])) return Fail(L"no picture saved");
    std::wprintf(L"%ls: %d items, sorted by size, largest first: %ls\n", browser.Title().c_str(),
                 browser.RowCount(), browser.RowCount() > 0 ? browser.Cell(0, 0).c_str() : L"");
    const bool closed = browser.Close() && browser.ExitCode() == 0;
    // The cache server the window started would keep Wine's desktop (and the caller) waiting.
    ReleaseRunningServer();
    return closed ? 0 : Fail(L"the window did not close cleanly");
}
