// DllRegisterServer and DllUnregisterServer of the installed Trovex.dll, entry by entry.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ColumnTestSupport.h"
#include "UniqueHandle.h"

namespace trovelle::test {
namespace {

using Entry = HRESULT(STDAPICALLTYPE*)();

struct Expected {
    HKEY root;
    std::wstring key;
    const wchar_t* name;  // nullptr: default value
    std::wstring value;   // empty: the key exists without a value
};

std::wstring ReadString(HKEY root, const std::wstring& key, const wchar_t* name, bool& found) {
    UniqueRegistryKey handle;
    found = false;
    if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, handle.Put()) != ERROR_SUCCESS) return {};
    wchar_t text[512] = {};
    DWORD bytes = sizeof(text) - sizeof(wchar_t);
    DWORD type = 0;
    const LSTATUS status = ::RegQueryValueExW(handle.Get(), name, nullptr, &type,
                                              reinterpret_cast<BYTE*>(text), &bytes);
    found = status == ERROR_SUCCESS || (name == nullptr && status == ERROR_FILE_NOT_FOUND);
    return status == ERROR_SUCCESS ? text : L"";
}

class TrovexRegistration : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = ::LoadLibraryW(TrovexPath().c_str());
        ASSERT_NE(module_, nullptr);
        registerServer_ = reinterpret_cast<Entry>(::GetProcAddress(module_, "DllRegisterServer"));
        unregisterServer_ = reinterpret_cast<Entry>(::GetProcAddress(module_, "DllUnregisterServer"));
        ASSERT_NE(registerServer_, nullptr);
        ASSERT_NE(unregisterServer_, nullptr);
    }
    void TearDown() override {
        if (registerServer_ != nullptr) registerServer_();  // leave it installed for the others
        if (module_ != nullptr) ::FreeLibrary(module_);
    }

    std::vector<Expected> Entries() const {
        const std::wstring clsid = std::wstring(L"CLSID\\") + kTrovexClsid;
        const std::wstring appid = L"{EBD5536F-8877-4883-A615-AB8264B6AAEF}";
        const std::wstring pageClsid = kFolderPageClsid;
        const std::wstring page = L"CLSID\\" + pageClsid;
        return {
            {HKEY_CLASSES_ROOT, L"AppID\\" + appid, nullptr, L"Trovex"},
            {HKEY_CLASSES_ROOT, L"AppID\\Trovex.DLL", L"AppID", appid},
            {HKEY_CLASSES_ROOT, L"Trovex.TrovexFolderSize.1", nullptr, L"TrovexFolderSize Class"},
            {HKEY_CLASSES_ROOT, L"Trovex.TrovexFolderSize.1\\CLSID", nullptr, kTrovexClsid},
            {HKEY_CLASSES_ROOT, L"Trovex.TrovexFolderSize", nullptr, L"TrovexFolderSize Class"},
            {HKEY_CLASSES_ROOT, L"Trovex.TrovexFolderSize\\CLSID", nullptr, kTrovexClsid},
            {HKEY_CLASSES_ROOT, L"Trovex.TrovexFolderSize\\CurVer", nullptr,
             L"Trovex.TrovexFolderSize.1"},
            {HKEY_CLASSES_ROOT, clsid, nullptr, L"TrovexFolderSize Class"},
            {HKEY_CLASSES_ROOT, clsid, L"AppID", appid},
            {HKEY_CLASSES_ROOT, clsid + L"\\ProgID", nullptr, L"Trovex.TrovexFolderSize.1"},
            {HKEY_CLASSES_ROOT, clsid + L"\\VersionIndependentProgID", nullptr,
             L"Trovex.TrovexFolderSize"},
            {HKEY_CLASSES_ROOT, clsid + L"\\Programmable", nullptr, L""},
            {HKEY_CLASSES_ROOT, clsid + L"\\InprocServer32", nullptr, TrovexPath()},
            {HKEY_CLASSES_ROOT, clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
            {HKEY_CLASSES_ROOT, clsid + L"\\TypeLib", nullptr,
             L"{89A82A48-715D-4EE3-B21D-81AAC31C7124}"},
            {HKEY_CLASSES_ROOT, std::wstring(L"Folder\\Shellex\\ColumnHandlers\\") + kTrovexClsid,
             nullptr, L"Trovelle Pro column ext"},
            {HKEY_LOCAL_MACHINE,
             L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
             kTrovexClsid, L"Trovelle Pro column ext"},
            // The Properties page of folders and drives.
            {HKEY_CLASSES_ROOT, page, nullptr, L"Trovelle Pro folder page"},
            {HKEY_CLASSES_ROOT, page + L"\\InprocServer32", nullptr, TrovexPath()},
            {HKEY_CLASSES_ROOT, page + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
            {HKEY_CLASSES_ROOT, L"Directory\\shellex\\PropertySheetHandlers\\" + pageClsid,
             nullptr, L"Trovelle Pro folder page"},
            {HKEY_CLASSES_ROOT, L"Drive\\shellex\\PropertySheetHandlers\\" + pageClsid, nullptr,
             L"Trovelle Pro folder page"},
            {HKEY_LOCAL_MACHINE,
             L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
             kFolderPageClsid, L"Trovelle Pro folder page"},
        };
    }

    HMODULE module_ = nullptr;
    Entry registerServer_ = nullptr;
    Entry unregisterServer_ = nullptr;
};

TEST_F(TrovexRegistration, WritesExactlyTheEntriesAndRemovesThem) {
    ASSERT_EQ(registerServer_(), S_OK);
    for (const Expected& entry : Entries()) {
        bool found = false;
        EXPECT_EQ(ReadString(entry.root, entry.key, entry.name, found), entry.value) << entry.key;
        EXPECT_TRUE(found) << entry.key;
    }
    const std::wstring typeLib = L"TypeLib\\{89A82A48-715D-4EE3-B21D-81AAC31C7124}\\1.0";
    bool found = false;
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, typeLib, nullptr, found), L"Trovex 1.0 Type Library");

    ASSERT_EQ(unregisterServer_(), S_OK);
    for (const Expected& entry : Entries()) {
        ReadString(entry.root, entry.key, entry.name, found);
        EXPECT_FALSE(found) << entry.key;
    }
    UniqueRegistryKey kept;
    EXPECT_EQ(::RegOpenKeyExW(HKEY_CLASSES_ROOT, L"AppID", 0, KEY_READ, kept.Put()), ERROR_SUCCESS);
    EXPECT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                              L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
                              0, KEY_READ, kept.Put()),
              ERROR_SUCCESS);
    EXPECT_EQ(unregisterServer_(), S_OK) << "unregistering twice is no failure";
}

TEST_F(TrovexRegistration, RestoresTheCallersThreadLocale) {
    const LCID before = ::GetThreadLocale();
    ASSERT_TRUE(::SetThreadLocale(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT)));
    EXPECT_EQ(registerServer_(), S_OK);
    EXPECT_EQ(::GetThreadLocale(), MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT));
    EXPECT_EQ(unregisterServer_(), S_OK);
    EXPECT_EQ(::GetThreadLocale(), MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT));
    ::SetThreadLocale(before);
}

TEST_F(TrovexRegistration, UnloadsOnlyWithoutObjects) {
    auto canUnload = reinterpret_cast<Entry>(::GetProcAddress(module_, "DllCanUnloadNow"));
    ASSERT_NE(canUnload, nullptr);
    ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    {
        Microsoft::WRL::ComPtr<IColumnProvider> handler = CreateHandler();
        ASSERT_TRUE(handler);
        EXPECT_EQ(canUnload(), S_FALSE);
    }
    EXPECT_EQ(canUnload(), S_OK);
    ::CoUninitialize();
}

}  // namespace
}  // namespace trovelle::test
