// TrovellePro.msi in a fresh prefix, as a user meets it: a quiet install writes what the
// deliverables' own registration writes and nothing else, the columns, the band, the console
// program and the cache's ProgID work from the installed copies, a newer package replaces an
// older one and keeps the user's settings, and removal ends a running cache server and leaves
// the prefix as it was. The tests run in order; each one starts from the state the one before
// it leaves.
#include <windows.h>
#include <commctrl.h>
#include <msi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "CacheSession.h"
#include "ChildProcess.h"
#include "ComApartment.h"
#include "BrowserProcess.h"
#include "LeftoverServer.h"
#include "PackageSession.h"
#include "RegistrySnapshot.h"
#include "UniqueHandle.h"

namespace trovelle::test {
namespace {

// The versions of the two packages the test run built (run-tests.sh).
std::wstring Environment(const wchar_t* name) {
    wchar_t value[64] = {};
    ::GetEnvironmentVariableW(name, value, 64);
    return value;
}
const std::wstring kCurrentVersion = Environment(L"TROVELLE_CURRENT_VERSION");
const std::wstring kOlderVersion = Environment(L"TROVELLE_OLDER_VERSION");
constexpr wchar_t kSettings[] = L"HKCU\\Software\\Karvane\\Trovelle Pro\\Settings|";
// What the window remembers (its last folder, placement, column widths) is the user's too.
constexpr wchar_t kWindowValues[] = L"HKCU\\Software\\Karvane\\Trovelle Pro\\Browser|";
constexpr wchar_t kKeptTitle[] = L"Kept";

// Windows Installer's own lists of products; their container keys stay once made.
const std::vector<std::wstring> kInstallerLists = {
    L"HKLM\\Software\\Classes\\Installer\\",
    L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\",
};
// Besides those, the product's Add/Remove Programs entry comes and goes with the package, and the
// user's settings are the user's: none of it is what the deliverables register.
// The window's verbs on folders and drives come with the package alone.
const std::vector<std::wstring> kWindowVerbs = {
    L"HKLM\\Software\\Classes\\Directory\\shell\\TrovellePro",
    L"HKLM\\Software\\Classes\\Drive\\shell\\TrovellePro",
};
// Wine keeps state of its own under its key (system parameters a window's controls touched):
// the emulator's, not the product's.
const std::wstring kWineOwn = L"HKCU\\Software\\Wine\\";
const std::vector<std::wstring> kNotRegistration = {
    kInstallerLists[0], kInstallerLists[1], kWindowVerbs[0], kWindowVerbs[1],
    L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\",
    kSettings,
    kWindowValues,
    kWineOwn,
};

std::wstring Lines(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const std::wstring& line : lines) text += L"\n  " + line;
    return text.empty() ? L" (none)" : text;
}

std::wstring PackagePath(const std::wstring& version) {
    return L"\"" + StagedFile(L"TrovellePro-" + version + L".msi") + L"\"";
}

// The Properties page of folders and drives: the shell finds it under both kinds of item.
bool FolderPageRegistered() {
    for (const wchar_t* key :
         {L"Directory\\shellex\\PropertySheetHandlers\\{E8BAFB41-F4E9-4700-8756-E270A5550941}",
          L"Drive\\shellex\\PropertySheetHandlers\\{E8BAFB41-F4E9-4700-8756-E270A5550941}"}) {
        UniqueRegistryKey handler;
        if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, handler.Put()) != ERROR_SUCCESS) {
            return false;
        }
    }
    return true;
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Per-machine shortcuts go to the common Start menu; Wine's installer puts them in the user's.
bool ShortcutExists(const std::wstring& name) {
    for (const int folder : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        wchar_t path[MAX_PATH] = {};
        ::SHGetFolderPathW(nullptr, folder, nullptr, 0, path);
        if (Exists(std::wstring(path) + L"\\" + name + L".lnk")) return true;
    }
    return false;
}

bool SettingsShortcutExists() { return ShortcutExists(L"Trovelle Pro Settings"); }

// The command of the window's verb on folders or drives ("Directory", "Drive"), or "".
std::wstring VerbCommand(const std::wstring& kind) {
    wchar_t command[MAX_PATH * 2] = {};
    DWORD size = sizeof(command);
    const std::wstring key = kind + L"\\shell\\TrovellePro\\command";
    ::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, command, &size);
    return command;
}

std::wstring UninstallValue(const std::wstring& productCode, const wchar_t* name) {
    const std::wstring key =
        L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + productCode;
    wchar_t text[512] = {};
    DWORD bytes = sizeof(text) - sizeof(wchar_t);
    ::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &bytes);
    return text;
}

// The user's column title as stored, or an empty text.
std::wstring StoredTitle() {
    wchar_t text[64] = {};
    DWORD bytes = sizeof(text) - sizeof(wchar_t);
    ::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"ColumnTitle", RRF_RT_REG_BINARY, nullptr,
                   text, &bytes);
    return text;
}

// Whether any of the snapshot lines is a value of `key` or lies below it (without regard to case).
bool HoldsAny(const std::wstring& key, const std::vector<std::wstring>& lines) {
    const int length = static_cast<int>(key.size());
    return std::any_of(lines.begin(), lines.end(), [&](const std::wstring& line) {
        if (line.size() <= key.size() || (line[key.size()] != L'\\' && line[key.size()] != L'|')) {
            return false;
        }
        return ::CompareStringOrdinal(line.c_str(), length, key.c_str(), length, TRUE) ==
               CSTR_EQUAL;
    });
}

bool WaitUntil(bool (*condition)(), DWORD timeoutMs) {
    for (DWORD waited = 0; !condition(); waited += 100) {
        if (waited >= timeoutMs) return false;
        ::Sleep(100);
    }
    return true;
}

class Package : public ::testing::Test {
protected:
    // What the deliverables' own registration writes into the untouched prefix, and the prefix
    // after it was undone (unregistering leaves the emptied parent keys): the state every install
    // below starts from.
    static void SetUpTestSuite() {
        ASSERT_FALSE(kCurrentVersion.empty() || kOlderVersion.empty())
            << "run this through run-tests.sh";
        ASSERT_TRUE(InstalledProducts().empty()) << "the prefix must start without the product";
        // The server the tests start measures on demand, not every fixed drive at once.
        const INT64 off = 0;
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"CacheAll", REG_BINARY, &off,
                                    sizeof(off)),
                  ERROR_SUCCESS);
        untouched_ = TakeRegistrySnapshot();
        ASSERT_EQ(SelfRegisterLooseCopies(), S_OK);
        selfRegistered_ = Added(untouched_, TakeRegistrySnapshot());
        ASSERT_EQ(SelfUnregisterLooseCopies(), S_OK);
        beforeInstall_ = TakeRegistrySnapshot();
    }

    // What the package wrote since the prefix was clean, apart from the installer's records.
    static std::vector<std::wstring> PackageEntries() {
        return Without(Added(beforeInstall_, TakeRegistrySnapshot()), kNotRegistration);
    }

    static void ExpectSameAsSelfRegistration() {
        const std::vector<std::wstring> installed = PackageEntries();
        std::vector<std::wstring> missing, extra;
        std::set_difference(selfRegistered_.begin(), selfRegistered_.end(), installed.begin(),
                            installed.end(), std::back_inserter(missing));
        std::set_difference(installed.begin(), installed.end(), selfRegistered_.begin(),
                            selfRegistered_.end(), std::back_inserter(extra));
        EXPECT_TRUE(missing.empty() && extra.empty())
            << "self-registration wrote " << selfRegistered_.size() << " entries, the package "
            << installed.size()
            << "\nmissing from the package:" << ::testing::PrintToString(Lines(missing))
            << "\nonly in the package:" << ::testing::PrintToString(Lines(extra));
        EXPECT_GT(installed.size(), 100u);
    }

    static void ExpectFilesInstalled() {
        for (const wchar_t* file : {L"TrovexCache.exe", L"Trovex.dll", L"TrovexBar.dll",
                                    L"TrovexProperties.exe", L"TrovellePro.chm",
                                    L"TrovelleBrowser.exe", L"TrovelleSize.exe"}) {
            EXPECT_TRUE(Exists(InstallFolder() + L"\\" + file)) << ::testing::PrintToString(file);
        }
        EXPECT_TRUE(SettingsShortcutExists());
        EXPECT_TRUE(ShortcutExists(L"Trovelle Pro"));
        // "Show sizes in Trovelle Pro" on a folder or a drive opens the window there.
        const std::wstring command = L"\"" + InstallFolder() + L"\\TrovelleBrowser.exe\" \"%V\"";
        EXPECT_EQ(VerbCommand(L"Directory"), command);
        EXPECT_EQ(VerbCommand(L"Drive"), command);
    }

    static inline RegistrySnapshot untouched_;
    static inline std::vector<std::wstring> selfRegistered_;
    static inline RegistrySnapshot beforeInstall_;
};

TEST_F(Package, AQuietInstallWritesExactlyWhatSelfRegistrationWrites) {
    ASSERT_EQ(RunMsiexec(L"/i " + PackagePath(kCurrentVersion)), 0u);
    ExpectSameAsSelfRegistration();
    ExpectFilesInstalled();
    EXPECT_TRUE(FolderPageRegistered());

    const std::vector<InstalledProduct> products = InstalledProducts();
    ASSERT_EQ(products.size(), 1u);
    EXPECT_EQ(products[0].version, kCurrentVersion);
    // The Add/Remove Programs entry.
    EXPECT_EQ(UninstallValue(products[0].productCode, L"DisplayName"), L"Trovelle Pro");
    EXPECT_EQ(UninstallValue(products[0].productCode, L"Publisher"), L"Karvane");
    EXPECT_EQ(UninstallValue(products[0].productCode, L"DisplayVersion"), kCurrentVersion);
    // Add/Remove Programs shows an installer product's icon from its published ProductIcon.
    wchar_t icon[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    EXPECT_EQ(::MsiGetProductInfoW(products[0].productCode.c_str(), INSTALLPROPERTY_PRODUCTICON,
                                   icon, &length),
              static_cast<UINT>(ERROR_SUCCESS));
    EXPECT_TRUE(Exists(icon)) << ::testing::PrintToString(std::wstring(icon));
}

TEST_F(Package, TheInstalledColumnsAndBandWork) {
    ASSERT_EQ(InstalledProducts().size(), 1u);
    {
        // Trovelle Pro's window, as the package installed it, with the installed handler and band.
        driver::BrowserProcess browser(L"D:\\Sample");
        ASSERT_NE(browser.Window(), nullptr) << "the installed window did not appear";
        EXPECT_NE(browser.Child(TOOLBARCLASSNAMEW, L"TrovellePro Toolbar"), nullptr)
            << "the installed band is not docked in the window's rebar";
        ASSERT_TRUE(browser.WaitUntilMeasured());
        const int row = browser.RowNamed(L"Documents");
        ASSERT_GE(row, 0) << "D:\\Sample was not listed";
        // Size and share: the sum (262,288 bytes) comes from the installed server through COM.
        EXPECT_EQ(browser.Cell(row, browser.ColumnNamed(L"Size")), L"256 KB");
        const std::wstring share = browser.Cell(row, browser.ColumnNamed(L"Share"));
        EXPECT_NE(share.find(L'%'), std::wstring::npos) << ::testing::PrintToString(share);
        EXPECT_TRUE(browser.Close());
    }
    StopCacheServer();
}

TEST_F(Package, TheInstalledConsoleProgramAndProgIdAnswer) {
    ASSERT_EQ(InstalledProducts().size(), 1u);
    const std::wstring program = InstallFolder() + L"\\TrovelleSize.exe";
    const ProgramOutput sizes = RunForOutput(program, L"--json --depth 1 D:\\Sample", 120000);
    EXPECT_EQ(sizes.exitCode, 0u) << sizes.errors;
    EXPECT_NE(sizes.out.find("\"path\": \"D:\\\\Sample\\\\Documents\",\r\n      \"size\": 262288,"),
              std::string::npos)
        << sizes.out;
    const ProgramOutput missing = RunForOutput(program, L"D:\\Sample\\Missing", 60000);
    EXPECT_EQ(missing.exitCode, 3u);
    EXPECT_NE(missing.errors.find("TrovelleSize: D:\\Sample\\Missing: "), std::string::npos) << missing.errors;
    CLSID byName = {};
    EXPECT_EQ(::CLSIDFromProgID(L"TrovellePro.Cache", &byName), S_OK);
    EXPECT_TRUE(::IsEqualCLSID(byName, CLSID_TrovelleCache));
    StopCacheServer();
}

TEST_F(Package, ANewerPackageReplacesAnOlderOneAndKeepsTheSettings) {
    ASSERT_EQ(RunMsiexec(L"/x " + PackagePath(kCurrentVersion)), 0u);
    ASSERT_TRUE(InstalledProducts().empty());
    ASSERT_EQ(RunMsiexec(L"/i " + PackagePath(kOlderVersion)), 0u);
    ASSERT_EQ(InstalledProducts().size(), 1u);
    EXPECT_EQ(InstalledProducts()[0].version, kOlderVersion);
    UniqueRegistryKey settings;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                settings.Put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(settings.Get(), L"ColumnTitle", 0, REG_BINARY,
                               reinterpret_cast<const BYTE*>(kKeptTitle), sizeof(kKeptTitle)),
              ERROR_SUCCESS);
    settings.Reset();

    ASSERT_EQ(RunMsiexec(L"/i " + PackagePath(kCurrentVersion)), 0u);
    const std::vector<InstalledProduct> products = InstalledProducts();
    ASSERT_EQ(products.size(), 1u) << "the older installation was not replaced";
    EXPECT_EQ(products[0].version, kCurrentVersion);
    ExpectFilesInstalled();
    EXPECT_EQ(StoredTitle(), kKeptTitle) << "the user's settings did not survive the upgrade";
    ExpectSameAsSelfRegistration();
}

TEST_F(Package, RemovalEndsTheRunningServerAndLeavesNothingBehind) {
    const std::vector<InstalledProduct> products = InstalledProducts();
    ASSERT_EQ(products.size(), 1u);
    {
        const ComApartment apartment;
        HRESULT connected = E_FAIL;
        auto cache = ConnectToCacheServer(&connected);
        ASSERT_EQ(connected, S_OK) << "the installed server did not start";
        UINT64 size = 0;
        EXPECT_EQ(AskFolderSize(*cache.Get(), L"D:\\Sample", &size), S_OK);
        ASSERT_TRUE(CacheServerRuns());

        // A client still holds the server while the package goes.
        EXPECT_EQ(RunMsiexec(L"/x " + products[0].productCode), 0u);
        EXPECT_TRUE(WaitUntil([] { return !CacheServerRuns(); }, 15000))
            << "the cache server still runs after removal";
        cache.Detach();  // its server is gone; releasing the proxy would only wait for it
    }
    EXPECT_TRUE(InstalledProducts().empty());
    EXPECT_FALSE(Exists(InstallFolder())) << "files are left in the installation folder";
    EXPECT_FALSE(SettingsShortcutExists());
    EXPECT_FALSE(ShortcutExists(L"Trovelle Pro"));
    EXPECT_EQ(VerbCommand(L"Directory") + VerbCommand(L"Drive"), L"");
    EXPECT_FALSE(FolderPageRegistered());

    // Compared with the prefix before anything was registered: removal also takes the parent
    // keys that only the product's entries filled.
    const RegistrySnapshot after = TakeRegistrySnapshot();
    const std::vector<std::wstring> left =
        Without(Added(untouched_, after),
                {kInstallerLists[0], kInstallerLists[1], kSettings, kWindowValues, kWineOwn});
    // Windows Installer also deletes a key that its removal left empty when the key was there,
    // empty, before (a fresh prefix has two such parents): only those may be gone.
    std::vector<std::wstring> gone;
    for (const std::wstring& line : Added(after, untouched_)) {
        const std::wstring key = line.substr(0, line.find(L'|'));
        if (line.back() != L'|' || !HoldsAny(key, selfRegistered_)) gone.push_back(line);
    }
    EXPECT_TRUE(left.empty()) << "left behind:" << ::testing::PrintToString(Lines(left));
    EXPECT_TRUE(gone.empty())
        << "removed though not the package's:" << ::testing::PrintToString(Lines(gone));
    EXPECT_EQ(StoredTitle(), kKeptTitle) << "removal took the user's settings";
}

}  // namespace
}  // namespace trovelle::test
