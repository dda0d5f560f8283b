// TrovelleBrowser.exe: Trovelle Pro's own window, on the folder given as its argument.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "BrowserWindow.h"
#include "ComApartment.h"
#include "MessageLoop.h"

namespace {

// The one argument, unquoted; empty when none was given.
std::wstring FolderArgument() {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::wstring folder = arguments != nullptr && count > 1 ? arguments[1] : L"";
    ::LocalFree(arguments);
    return folder;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    using namespace trovelle;
    // Bands and the window live in this thread's apartment, as in a browser window.
    const ComApartment apartment;
    if (!apartment) return 3;
    const INITCOMMONCONTROLSEX controls = {
        sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_COOL_CLASSES | ICC_BAR_CLASSES |
                                  ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&controls);

    ui::MessageLoop loop;
    browser::BrowserWindow window;
    if (!window.Open(instance, FolderArgument(), showCommand)) return 4;
    loop.AddMessageFilter(&window);
    const int exitCode = loop.Run();
    loop.RemoveMessageFilter(&window);
    return exitCode;
}
