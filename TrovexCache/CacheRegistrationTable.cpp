#include "CacheRegistrationTable.h"

#include "TrovexCacheGuidText.h"

namespace trovelle {
namespace {

using E = RegistryEntry;
constexpr RegistryRoot kClasses = RegistryRoot::ClassesRoot;
#define TROVEX_CACHE_CLSID TrovelleCache_GUID_TEXT
#define TROVEX_CACHE_APPID L"{96B77635-FBA8-464A-BD23-03B7E62F5C9F}"  // no IDL declares AppIDs
#define TROVEX_CACHE_LIBID TrovexCacheLib_GUID_TEXT

const std::initializer_list<RegistryEntry> kAppIdEntries = {
    {kClasses, L"AppID\\" TROVEX_CACHE_APPID, nullptr, L"TrovexCache", E::RemoveKey, false},
    {kClasses, L"AppID\\TrovexCache.EXE", L"AppID", TROVEX_CACHE_APPID, E::RemoveKey, false},
};

const std::initializer_list<RegistryEntry> kClassEntries = {
    {kClasses, L"TrovexCache.TrovelleCache.1", nullptr, L"TrovelleCache Class", E::RemoveKey, false},
    {kClasses, L"TrovexCache.TrovelleCache.1\\CLSID", nullptr, TROVEX_CACHE_CLSID, E::RemoveKey,
     false},
    {kClasses, L"TrovexCache.TrovelleCache", nullptr, L"TrovelleCache Class", E::RemoveKey, false},
    {kClasses, L"TrovexCache.TrovelleCache\\CLSID", nullptr, TROVEX_CACHE_CLSID, E::RemoveKey,
     false},
    {kClasses, L"TrovexCache.TrovelleCache\\CurVer", nullptr, L"TrovexCache.TrovelleCache.1",
     E::RemoveKey, false},
    // The product's own names for scripts: New-Object -ComObject TrovellePro.Cache.
    {kClasses, L"TrovellePro.Cache.1", nullptr, L"TrovelleCache Class", E::RemoveKey, false},
    {kClasses, L"TrovellePro.Cache.1\\CLSID", nullptr, TROVEX_CACHE_CLSID, E::RemoveKey, false},
    {kClasses, L"TrovellePro.Cache", nullptr, L"TrovelleCache Class", E::RemoveKey, false},
    {kClasses, L"TrovellePro.Cache\\CLSID", nullptr, TROVEX_CACHE_CLSID, E::RemoveKey, false},
    {kClasses, L"TrovellePro.Cache\\CurVer", nullptr, L"TrovellePro.Cache.1", E::RemoveKey, false},
    {kClasses, L"CLSID\\" TROVEX_CACHE_CLSID, nullptr, L"TrovelleCache Class", E::RemoveKey, true},
    {kClasses, L"CLSID\\" TROVEX_CACHE_CLSID L"\\ProgID", nullptr, L"TrovexCache.TrovelleCache.1",
     E::RemoveKey, false},
    {kClasses, L"CLSID\\" TROVEX_CACHE_CLSID L"\\VersionIndependentProgID", nullptr,
     L"TrovexCache.TrovelleCache", E::RemoveKey, false},
    {kClasses, L"CLSID\\" TROVEX_CACHE_CLSID L"\\Programmable", nullptr, nullptr, E::RemoveKey,
     false},
    {kClasses, L"CLSID\\" TROVEX_CACHE_CLSID L"\\LocalServer32", nullptr, L"%MODULE%",
     E::RemoveKey, false},
    {kClasses, L"CLSID\\" TROVEX_CACHE_CLSID, L"AppID", TROVEX_CACHE_APPID, E::RemoveKey, false},
    {kClasses, L"CLSID\\" TROVEX_CACHE_CLSID L"\\TypeLib", nullptr, TROVEX_CACHE_LIBID,
     E::RemoveKey, false},
};

}  // namespace

ModuleRegistration CacheServerRegistration(const std::wstring& modulePath) {
    // A local server's command line: the path is quoted, as it may hold spaces.
    return {kAppIdEntries, kClassEntries, {{L"%MODULE%", L"\"" + modulePath + L"\""}}};
}

}  // namespace trovelle
