// The demonstration of Trovelle Pro's window: opens FOLDER, walks into its largest subfolder,
// sorts by the size column (largest first) and saves a picture of the window.
//   BrowserTour FOLDER PICTURE.bmp       exit code 0 when every step was seen to happen
#include <windows.h>

#include <cstdio>
#include <string>

#include "BrowserProcess.h"
#include "CacheServerConnection.h"
#include "ComApartment.h"
#include "text/CellNumber.h"
#include "WideText.h"

namespace {

using namespace trovelle;
using namespace trovelle::driver;

int Fail(const wchar_t* step) {
    std::fwprintf(stderr, L"BrowserTour: %ls\n", step);
    return 1;
}

// The subfolder with the most bytes, by the handler's byte-count column.
int LargestFolder(const BrowserProcess& browser, int bytesColumn) {
    int largest = -1;
    uint64_t most = 0;
    for (int row = 0; row < browser.RowCount(); ++row) {
        if (!browser.Cell(row, 1).empty()) continue;  // files show their size there
        const auto bytes = WholeNumberInCell(ToCore(browser.Cell(row, bytesColumn)));
        if (bytes && (largest < 0 || *bytes > most)) {
            largest = row;
            most = *bytes;
        }
    }
    return largest;
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
    const int bytesColumn = browser.ColumnNamed(L"SizeEx sort column");
    const int sizeColumn = browser.ColumnNamed(L"SizeEx");
    if (bytesColumn < 0 || sizeColumn < 0) return Fail(L"the size columns are missing");
    const int largest = LargestFolder(browser, bytesColumn);
    if (largest >= 0) {
        const std::wstring name = browser.Cell(largest, 0);
        browser.Select(largest);
        browser.PressKey(browser.List(), VK_RETURN);
        std::wstring inside = folder;
        if (inside.back() != L'\\') inside += L'\\';
        if (!browser.WaitForFolder(inside + name) || !browser.WaitUntilMeasured()) {
            return Fail(L"the largest subfolder did not open");
        }
    }
    browser.ClickColumn(sizeColumn);  // a size column sorts largest first
    ::Sleep(500);
    if (!browser.WaitUntilMeasured()) return Fail(L"the sorted folder was not measured");
    if (!browser.SavePicture(argv[2])) return Fail(L"no picture saved");
    std::wprintf(L"%ls: %d items, sorted by size, largest first: %ls\n", browser.Title().c_str(),
                 browser.RowCount(), browser.RowCount() > 0 ? browser.Cell(0, 0).c_str() : L"");
    const bool closed = browser.Close() && browser.ExitCode() == 0;
    // The cache server the window started would keep Wine's desktop (and the caller) waiting.
    ReleaseRunningServer();
    return closed ? 0 : Fail(L"the window did not close cleanly");
}
