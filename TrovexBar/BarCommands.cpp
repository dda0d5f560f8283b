#include "BarCommands.h"

#include <windows.h>
#include <shellapi.h>
#include <wrl/client.h>

#include <string>

#include "ComApartment.h"
#include "Guids.h"
#include "Registrar.h"
#include "UniqueHandle.h"

namespace trovelle {
namespace {

constexpr wchar_t kPropertiesCaption[] = L"Trovelle Pro Properties";
constexpr wchar_t kPropertiesProgram[] = L"\\TrovexProperties.exe";
constexpr wchar_t kCacheServerMutex[] =
    L"TrovexCacheServer.{E46A7DAC-D759-4915-8F32-BD3C55B7B10F}";

}  // namespace

void OpenSettingsProgram() {
    if (HWND running = ::FindWindowW(nullptr, kPropertiesCaption)) {
        ::ShowWindow(running, SW_RESTORE);
        ::SetForegroundWindow(running);
        return;
    }
    const std::wstring module = ThisModulePath();
    const size_t slash = module.rfind(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? module : module.substr(0, slash);
    const std::wstring program = folder + kPropertiesProgram;
    if (module.empty() || program.size() >= MAX_PATH) return;  // no path we could hand over
    ::ShellExecuteW(nullptr, L"open", program.c_str(), nullptr, folder.c_str(), SW_RESTORE);
}

void ResetRunningCache() {
    // The server holds its instance mutex while it runs; without it there is nothing to reset,
    // and creating the object would start a server.
    {
        const UniqueKernelHandle running(::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kCacheServerMutex));
        if (!running) return;
    }
    const ComApartment apartment;
    if (!apartment) return;
    Microsoft::WRL::ComPtr<IUnknown> object;
    if (FAILED(::CoCreateInstance(CLSID_TrovelleCache, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                  &object))) {
        return;
    }
    Microsoft::WRL::ComPtr<ITrovelleCache> cache;
    if (FAILED(object.As(&cache))) return;
    cache->ResetCache();
}

}  // namespace trovelle
