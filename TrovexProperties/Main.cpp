// TrovexProperties.exe: the settings program. Exit code 1 after OK, 2 after Cancel, 0 when the
// dialog could not be created.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "AppModule.h"
#include "ComApartment.h"
#include "MainDlg.h"
#include "MessageLoop.h"
#include "SettingsStore.h"
#include "UniqueHandle.h"
#include "WindowPlacementStore.h"
#include "res/resource.h"

namespace trovelle::properties {
namespace {

int Run(int showCommand) {
    ui::MessageLoop loop;
    ui::AppModule& module = ui::TheModule();
    module.AddMessageLoop(&loop);

    auto dialog = std::make_unique<CMainDlg>();
    if (dialog->Create(module.Instance(), IDD_MAIN, nullptr) == nullptr) {
        module.RemoveMessageLoop();
        return 0;
    }
    // Without a saved position the dialog stays centred where its initialisation put it.
    CWindowPlacementStore(HKEY_CURRENT_USER, kSettingsKeyPath)
        .RestorePlacement(dialog->Window(), L"WindowSubPos", true);
    ::ShowWindow(dialog->Window(), showCommand);

    const int result = loop.Run();
    module.RemoveMessageLoop();
    return result;
}

// Module lifetime around Run: initialised first, terminated last.
class ModuleScope {
public:
    explicit ModuleScope(HINSTANCE instance) { ui::TheModule().Init(instance); }
    ~ModuleScope() { ui::TheModule().Term(); }
    ModuleScope(const ModuleScope&) = delete;
    ModuleScope& operator=(const ModuleScope&) = delete;
};

}  // namespace
}  // namespace trovelle::properties

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    using namespace trovelle;
    // Held while the program runs; a second start still runs as an independent instance.
    const UniqueKernelHandle startupMutex(
        ::CreateMutexW(nullptr, FALSE, L"TrovellePro.PropertiesStartupMutex"));
    const ComApartment apartment;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    const properties::ModuleScope module(instance);
    return properties::Run(showCommand);
}
