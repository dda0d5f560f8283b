// Lists a folder the way Explorer's Details view did, with every registered column handler:
//   DetailsHost [--tsv] [--columns] [--item PATH]... [FOLDER]
// --tsv prints machine-readable cells, --columns the handlers' column descriptions, --item asks
// for one path (which need not exist; a missing one is handed over as a plain file).
// Trovelle Pro's own window (TrovelleBrowser) shows the same cells in a window.
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "ColumnHandlers.h"
#include "ComApartment.h"
#include "ConsoleOutput.h"
#include "DetailsTable.h"
#include "FolderItems.h"
#include "UniqueHandle.h"

namespace {

using trovelle::ComApartment;
using trovelle::UniqueKernelHandle;
using namespace trovelle::host;

struct Request {
    std::wstring folder = L"D:\\Sample";
    std::vector<std::wstring> items;
    bool tabSeparated = false;
    bool columnInfo = false;
    int exitCode = 0;
};

std::vector<ListedItem> ExplicitItems(const std::vector<std::wstring>& paths) {
    std::vector<ListedItem> items(paths.size());  // sized once: pwszExt points into each item
    for (size_t i = 0; i < paths.size(); ++i) {
        DWORD attributes = ::GetFileAttributesW(paths[i].c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) attributes = FILE_ATTRIBUTE_NORMAL;
        items[i].name = paths[i];
        FillColumnData(items[i], paths[i], attributes);
    }
    return items;
}

// Explorer fills slow columns on a background thread with its own apartment; so does the host.
DWORD WINAPI FillDetails(void* parameter) {
    Request& request = *static_cast<Request*>(parameter);
    const ComApartment apartment;
    if (!apartment) {
        request.exitCode = 3;
        return 0;
    }
    ColumnSet set = LoadColumns(request.folder);
    if (request.columnInfo) {
        WriteOutput(FormatColumnInfo(set));
        return 0;
    }
    DWORD error = ERROR_SUCCESS;
    const std::vector<ListedItem> items =
        request.items.empty() ? ListFolder(request.folder, error) : ExplicitItems(request.items);
    if (error != ERROR_SUCCESS) {
        WriteOutput(L"Cannot list " + request.folder + L"\n");
        request.exitCode = 2;
        return 0;
    }
    const CellRows cells = FillCells(set, items);
    WriteOutput(request.tabSeparated ? FormatTabSeparated(set, items, cells)
                                     : FormatTable(set, items, cells));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Request request;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument == L"--tsv") {
            request.tabSeparated = true;
        } else if (argument == L"--columns") {
            request.columnInfo = true;
        } else if (argument == L"--item" && i + 1 < argc) {
            request.items.push_back(argv[++i]);
        } else {
            request.folder = argument;
        }
    }
    UniqueKernelHandle worker(::CreateThread(nullptr, 0, FillDetails, &request, 0, nullptr));
    if (!worker) return 3;
    ::WaitForSingleObject(worker.Get(), INFINITE);
    return request.exitCode;
}
