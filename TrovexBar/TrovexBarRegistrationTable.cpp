#include "TrovexBarRegistrationTable.h"

#include "TrovexBarGuidText.h"

namespace trovelle {
namespace {

#define BAR_CLSID TrovexExplorerBar_GUID_TEXT
#define BAR_CLSID_KEY L"CLSID\\" BAR_CLSID
constexpr wchar_t kAppId[] = L"{000B967E-D53E-4D74-963B-7AF714F2CCF6}";  // no IDL declares it
constexpr wchar_t kBarName[] = L"Trovelle Pro Bar";
constexpr wchar_t kProgId[] = L"TrovexBar.TrovexExplorerBar.1";
constexpr wchar_t kIndependentProgId[] = L"TrovexBar.TrovexExplorerBar";

using E = RegistryEntry;
constexpr RegistryRoot kClasses = RegistryRoot::ClassesRoot;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

// The AppID entries; HKCR\AppID itself stays.
const std::initializer_list<RegistryEntry> kAppIdEntries = {
    {kClasses, L"AppID\\%APPID%", nullptr, L"TrovexBar", E::RemoveKey, false},
    {kClasses, L"AppID\\TrovexBar.DLL", L"AppID", L"%APPID%", E::RemoveKey, false},
};

// The class, its ProgIDs, and the value that puts the band in the browser's toolbar list. The
// class key is rewritten whole; of the toolbar list only our value is ever removed.
const std::initializer_list<RegistryEntry> kClassEntries = {
    {kClasses, kProgId, nullptr, kBarName, E::RemoveKey, false},
    {kClasses, L"TrovexBar.TrovexExplorerBar.1\\CLSID", nullptr, BAR_CLSID, E::RemoveKey,
     false},
    {kClasses, kIndependentProgId, nullptr, kBarName, E::RemoveKey, false},
    {kClasses, L"TrovexBar.TrovexExplorerBar\\CLSID", nullptr, BAR_CLSID, E::RemoveKey,
     false},
    {kClasses, L"TrovexBar.TrovexExplorerBar\\CurVer", nullptr, kProgId, E::RemoveKey,
     false},

    {kClasses, BAR_CLSID_KEY, nullptr, kBarName, E::RemoveKey, true},
    {kClasses, BAR_CLSID_KEY, L"AppID", L"%APPID%", E::RemoveKey, false},
    {kClasses, BAR_CLSID_KEY L"\\ProgID", nullptr, kProgId, E::RemoveKey, false},
    {kClasses, BAR_CLSID_KEY L"\\VersionIndependentProgID", nullptr, kIndependentProgId,
     E::RemoveKey, false},
    {kClasses, BAR_CLSID_KEY L"\\Programmable", nullptr, nullptr, E::RemoveKey, false},
    {kClasses, BAR_CLSID_KEY L"\\InprocServer32", nullptr, L"%MODULE%", E::RemoveKey,
     false},
    {kClasses, BAR_CLSID_KEY L"\\InprocServer32", L"ThreadingModel", L"Apartment",
     E::RemoveKey, false},
    {kClasses, BAR_CLSID_KEY L"\\TypeLib", nullptr,
     TrovexBarLib_GUID_TEXT, E::RemoveKey, false},

    {kMachine, L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar", BAR_CLSID, kBarName,
     E::RemoveValueOnly, false},
};

}  // namespace

ModuleRegistration TrovexBarRegistration(const std::wstring& modulePath) {
    return {kAppIdEntries, kClassEntries, {{L"%MODULE%", modulePath}, {L"%APPID%", kAppId}}};
}

}  // namespace trovelle
