#include "TrovexRegistrationTable.h"

#include "TrovexGuidText.h"

namespace trovelle {
namespace {

#define TROVEX_CLSID TrovexFolderSize_GUID_TEXT
#define TROVEX_CLSID_KEY L"CLSID\\" TROVEX_CLSID
constexpr wchar_t kAppId[] = L"{EBD5536F-8877-4883-A615-AB8264B6AAEF}";  // no IDL declares it
constexpr wchar_t kClassName[] = L"TrovexFolderSize Class";
constexpr wchar_t kHandlerName[] = L"Trovelle Pro column ext";
#define PAGE_CLSID TrovexFolderProperties_GUID_TEXT
#define PAGE_CLSID_KEY L"CLSID\\" PAGE_CLSID
constexpr wchar_t kPageName[] = L"Trovelle Pro folder page";

using E = RegistryEntry;
constexpr RegistryRoot kClasses = RegistryRoot::ClassesRoot;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

// The AppID folder itself stays.
const std::initializer_list<RegistryEntry> kAppIdEntries = {
    {kClasses, L"AppID\\%APPID%", nullptr, L"Trovex", E::RemoveKey, false},
    {kClasses, L"AppID\\Trovex.DLL", L"AppID", L"%APPID%", E::RemoveKey, false},
};

// The classes' CLSID keys go whole; the shell's lists lose just these handlers.
const std::initializer_list<RegistryEntry> kClassEntries = {
    {kClasses, L"Trovex.TrovexFolderSize.1", nullptr, kClassName, E::RemoveKey, false},
    {kClasses, L"Trovex.TrovexFolderSize.1\\CLSID", nullptr, TROVEX_CLSID, E::RemoveKey,
     false},
    {kClasses, L"Trovex.TrovexFolderSize", nullptr, kClassName, E::RemoveKey, false},
    {kClasses, L"Trovex.TrovexFolderSize\\CLSID", nullptr, TROVEX_CLSID, E::RemoveKey,
     false},
    {kClasses, L"Trovex.TrovexFolderSize\\CurVer", nullptr, L"Trovex.TrovexFolderSize.1",
     E::RemoveKey, false},

    {kClasses, TROVEX_CLSID_KEY, nullptr, kClassName, E::RemoveKey, false},
    {kClasses, TROVEX_CLSID_KEY, L"AppID", L"%APPID%", E::RemoveKey, false},
    {kClasses, TROVEX_CLSID_KEY L"\\ProgID", nullptr, L"Trovex.TrovexFolderSize.1",
     E::RemoveKey, false},
    {kClasses, TROVEX_CLSID_KEY L"\\VersionIndependentProgID", nullptr,
     L"Trovex.TrovexFolderSize", E::RemoveKey, false},
    {kClasses, TROVEX_CLSID_KEY L"\\Programmable", nullptr, nullptr, E::RemoveKey, false},
    {kClasses, TROVEX_CLSID_KEY L"\\InprocServer32", nullptr, L"%MODULE%", E::RemoveKey,
     false},
    {kClasses, TROVEX_CLSID_KEY L"\\InprocServer32", L"ThreadingModel", L"Apartment",
     E::RemoveKey, false},
    {kClasses, TROVEX_CLSID_KEY L"\\TypeLib", nullptr,
     TrovexLib_GUID_TEXT, E::RemoveKey, false},

    {kClasses, L"Folder\\Shellex\\ColumnHandlers\\" TROVEX_CLSID, nullptr, kHandlerName,
     E::RemoveKey, false},
    {kMachine,
     L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved", TROVEX_CLSID,
     kHandlerName, E::RemoveValueOnly, false},

    // The Properties page of folders and drives.
    {kClasses, PAGE_CLSID_KEY, nullptr, kPageName, E::RemoveKey, false},
    {kClasses, PAGE_CLSID_KEY L"\\InprocServer32", nullptr, L"%MODULE%", E::RemoveKey, false},
    {kClasses, PAGE_CLSID_KEY L"\\InprocServer32", L"ThreadingModel", L"Apartment",
     E::RemoveKey, false},
    {kClasses, L"Directory\\shellex\\PropertySheetHandlers\\" PAGE_CLSID, nullptr, kPageName,
     E::RemoveKey, false},
    {kClasses, L"Drive\\shellex\\PropertySheetHandlers\\" PAGE_CLSID, nullptr, kPageName,
     E::RemoveKey, false},
    {kMachine,
     L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved", PAGE_CLSID,
     kPageName, E::RemoveValueOnly, false},
};

}  // namespace

ModuleRegistration TrovexRegistration(const std::wstring& modulePath) {
    return {kAppIdEntries, kClassEntries, {{L"%MODULE%", modulePath}, {L"%APPID%", kAppId}}};
}

}  // namespace trovelle
