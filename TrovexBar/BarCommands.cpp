#include "BarCommands.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "Guids.h"
#include "ParentFolder.h"
#include "Registrar.h"

namespace trovelle {
namespace {

constexpr wchar_t kPropertiesCaption[] = L"Trovelle Pro Properties";
constexpr wchar_t kPropertiesProgram[] = L"\\TrovexProperties.exe";

}  // namespace

void OpenSettingsProgram() {
    if (HWND running = ::FindWindowW(nullptr, kPropertiesCaption)) {
        ::ShowWindow(running, SW_RESTORE);
        ::SetForegroundWindow(running);
        return;
    }
    const std::wstring module = ThisModulePath();
    const std::wstring folder(ParentFolder(module));
    const std::wstring program = folder + kPropertiesProgram;
    if (module.empty() || program.size() >= MAX_PATH) return;  // no path we could hand over
    ::ShellExecuteW(nullptr, L"open", program.c_str(), nullptr, folder.c_str(), SW_RESTORE);
}

}  // namespace trovelle
