// The settings program as a user drives it, checked against the registry it leaves behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PropertiesDriver.h"
#include "Screenshot.h"
#include "SettingsStore.h"
#include "res/resource.h"

namespace trovelle::test {
namespace {

const std::wstring kServerPath = std::wstring(kProgramFolder) + L"\\TrovexCache.exe";

class SettingsDialog : public WithoutStoredSettings {
protected:
    static void StoreInteger(const wchar_t* name, int64_t value) {
        StoreSetting(name, REG_BINARY, &value, sizeof(value));
    }
    static void ExpectInteger(const wchar_t* name, int64_t expected) {
        const auto value = ReadSetting(name);
        ASSERT_TRUE(value) << name;
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_BINARY)) << name;
        EXPECT_EQ(value->bytes.size(), 8u) << name;
        EXPECT_EQ(AsInteger(*value), expected) << name;
    }
    static void ExpectCharacter(const wchar_t* name, wchar_t expected) {
        const auto value = ReadSetting(name);
        ASSERT_TRUE(value) << name;
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_BINARY)) << name;
        ASSERT_EQ(value->bytes.size(), 2u) << name;
        EXPECT_EQ(static_cast<wchar_t>(value->bytes[0] | (value->bytes[1] << 8)), expected) << name;
    }
    static std::vector<std::wstring> StoredNames() {
        std::vector<std::wstring> names;
        UniqueRegistryKey key;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, key.Put()) !=
            ERROR_SUCCESS) {
            return names;
        }
        for (DWORD index = 0;; ++index) {
            wchar_t name[64] = {};
            DWORD length = 64;
            if (::RegEnumValueW(key.Get(), index, name, &length, nullptr, nullptr, nullptr,
                                nullptr) != ERROR_SUCCESS) {
                break;
            }
            names.emplace_back(name);
        }
        return names;
    }
};

TEST_F(SettingsDialog, FirstStartShowsEveryDefaultAndCancelStoresOnlyThePosition) {
    PropertiesProgram program;
    ASSERT_NE(program.Dialog(), nullptr);
    EXPECT_FALSE(SettingsKeyExists()) << "loading must not create the settings key";
    EXPECT_EQ(program.Selection(IDC_VIEW_STYLE), 0);
    EXPECT_EQ(program.Selection(IDC_VIEW_METRIC), 1);
    EXPECT_EQ(program.Selection(IDC_DECIMAL_DIGITS), 0);
    EXPECT_EQ(program.Selection(IDC_PB_STYLE), 0);
    EXPECT_EQ(program.Text(IDC_PB_SYMBOL), L"\u2022");
    EXPECT_EQ(program.Text(IDC_SEPARATOR), L"Space");
    EXPECT_EQ(program.Text(IDC_COLUMN_TITLE), L"SizeEx");
    EXPECT_EQ(program.Text(IDC_VIEW_STYLE), L"Folders and Files");
    EXPECT_EQ(program.Text(IDC_VIEW_METRIC), L"KBytes");
    EXPECT_EQ(program.Text(IDC_DECIMAL_DIGITS), L"Don't show");
    EXPECT_EQ(program.Text(IDC_PB_STYLE), L"Value and Bar");
    for (int box : {IDC_ENABLE_CACHE, IDC_CACHE_ALL, IDC_ENABLE_SPLASH, IDC_ALWAYS_ON_TOP}) {
        EXPECT_TRUE(program.Checked(box)) << box;
    }
    EXPECT_FALSE(program.Checked(IDC_START_WITH_WINDOWS));
    EXPECT_TRUE(program.Enabled(IDC_RESET_CACHE));
    EXPECT_TRUE(program.Enabled(IDC_ENABLE_SPLASH));
    EXPECT_TRUE(::GetWindowLongPtrW(program.Dialog(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    SaveScreenshot(program.Dialog(), L"settings-dialog");

    program.SetText(IDC_COLUMN_TITLE, L"Changed");
    program.SelectEntry(IDC_VIEW_METRIC, 3);
    program.Click(IDCANCEL);
    EXPECT_EQ(program.WaitForExit(), 2);
    EXPECT_EQ(StoredNames(), std::vector<std::wstring>{L"WindowSubPos"});
    EXPECT_EQ(ReadSetting(L"WindowSubPos")->bytes.size(), 12u);
    EXPECT_FALSE(ReadRunEntry());
}

TEST_F(SettingsDialog, OkStoresAllElevenValuesInOrderWithTheirWidthsAndTheRunEntry) {
    PropertiesProgram program;
    ASSERT_NE(program.Dialog(), nullptr);
    program.SelectEntry(IDC_VIEW_STYLE, 2);
    program.SelectEntry(IDC_VIEW_METRIC, 4);
    program.SelectEntry(IDC_DECIMAL_DIGITS, 3);
    program.SelectEntry(IDC_PB_STYLE, 1);
    program.SelectEntry(IDC_PB_SYMBOL, 4);
    program.SelectEntry(IDC_SEPARATOR, 4);
    program.SetText(IDC_COLUMN_TITLE, L"Gr\u00f6\u00dfe");
    program.Click(IDC_ALWAYS_ON_TOP);
    program.Click(IDC_START_WITH_WINDOWS);
    program.Click(IDOK);
    EXPECT_EQ(program.WaitForExit(), 1);

    // Wine lists values sorted by name, so the order of the writes cannot be seen here.
    std::vector<std::wstring> names = StoredNames();
    std::sort(names.begin(), names.end());
    const std::vector<std::wstring> expected = {
        L"AlwaysOnTop", L"CacheAll", L"ColumnTitle", L"DecimalDigits", L"EnableCache",
        L"EnableUpdSplash", L"PB_Style", L"PB_Symbol", L"Separator", L"ViewMetric", L"ViewStyle",
        L"WindowSubPos"};
    EXPECT_EQ(names, expected);
    ExpectInteger(L"ViewStyle", 2);
    ExpectInteger(L"ViewMetric", 4);
    ExpectInteger(L"EnableCache", 1);
    ExpectInteger(L"AlwaysOnTop", 0);
    ExpectInteger(L"CacheAll", 1);
    ExpectInteger(L"EnableUpdSplash", 1);
    ExpectInteger(L"PB_Style", 1);
    ExpectCharacter(L"PB_Symbol", L'\u2014');
    ExpectCharacter(L"Separator", L'\'');
    ExpectInteger(L"DecimalDigits", 3);
    const auto title = ReadSetting(L"ColumnTitle");
    ASSERT_TRUE(title);
    EXPECT_EQ(title->type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(AsText(*title), std::wstring(L"Gr\u00f6\u00dfe") + L'\0');

    const auto run = ReadRunEntry();
    ASSERT_TRUE(run);
    EXPECT_EQ(run->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(AsText(*run), kServerPath + L'\0');
}

TEST_F(SettingsDialog, CancelLeavesStoredSettingsAndTheRunEntryAlone) {
    StoreInteger(L"ViewMetric", 3);
    ASSERT_EQ(WriteRunEntry(L"C:\\Elsewhere\\TrovexCache.exe"), ERROR_SUCCESS);
    PropertiesProgram program;
    ASSERT_NE(program.Dialog(), nullptr);
    EXPECT_TRUE(program.Checked(IDC_START_WITH_WINDOWS));
    EXPECT_EQ(program.Selection(IDC_VIEW_METRIC), 3);
    program.SelectEntry(IDC_VIEW_METRIC, 0);
    program.Click(IDC_START_WITH_WINDOWS);
    program.Click(IDCANCEL);
    EXPECT_EQ(program.WaitForExit(), 2);
    ExpectInteger(L"ViewMetric", 3);
    EXPECT_FALSE(ReadSetting(L"ViewStyle"));
    EXPECT_EQ(AsText(*ReadRunEntry()), std::wstring(L"C:\\Elsewhere\\TrovexCache.exe") + L'\0');
}

TEST_F(SettingsDialog, OneCharacterFieldsStoreNamesTypedLettersAndEmptyAsTheirCharacter) {
    struct Case {
        const char* what;
        int separatorEntry;  // -1: type instead
        const wchar_t* typed;
        wchar_t separator;
        const wchar_t* symbolTyped;
        wchar_t symbol;
    } const cases[] = {
        {"Don't use, empty symbol", 0, nullptr, 0, L"", 0},
        {"Space, listed symbol", 1, nullptr, L' ', nullptr, L'\u2022'},
        {"typed letters", -1, L"xyz", L'x', L"#ab", L'#'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteSettingsKey();
        PropertiesProgram program;
        ASSERT_NE(program.Dialog(), nullptr);
        if (c.separatorEntry >= 0) {
            program.SelectEntry(IDC_SEPARATOR, c.separatorEntry);
        } else {
            program.Type(IDC_SEPARATOR, c.typed);
            EXPECT_EQ(program.Text(IDC_SEPARATOR), std::wstring(1, c.separator))
                << "only the first typed character stays";
        }
        if (c.symbolTyped != nullptr && *c.symbolTyped == 0) {
            program.SetText(IDC_PB_SYMBOL, L"");
        } else if (c.symbolTyped != nullptr) {
            program.Type(IDC_PB_SYMBOL, c.symbolTyped);
            EXPECT_EQ(program.Text(IDC_PB_SYMBOL), std::wstring(1, c.symbol));
        }
        program.Click(IDOK);
        EXPECT_EQ(program.WaitForExit(), 1);
        ExpectCharacter(L"Separator", c.separator);
        ExpectCharacter(L"PB_Symbol", c.symbol);
    }
}

TEST_F(SettingsDialog, StoredNumbersOutsideTheListsSaveMinusOne) {
    StoreInteger(L"ViewMetric", 9);
    StoreInteger(L"DecimalDigits", -1);
    PropertiesProgram program;
    ASSERT_NE(program.Dialog(), nullptr);
    EXPECT_EQ(program.Selection(IDC_VIEW_METRIC), -1);
    EXPECT_EQ(program.Selection(IDC_DECIMAL_DIGITS), -1);
    program.Click(IDOK);
    EXPECT_EQ(program.WaitForExit(), 1);
    ExpectInteger(L"ViewMetric", -1);
    ExpectInteger(L"DecimalDigits", -1);
    ExpectInteger(L"ViewStyle", 0);
}

TEST_F(SettingsDialog, DisablingTheCacheAsksFirstAndCacheAllGovernsTheSplashBox) {
    PropertiesProgram program;
    ASSERT_NE(program.Dialog(), nullptr);
    program.PostClick(IDC_ENABLE_CACHE);
    ASSERT_TRUE(program.Answer(IDNO));
    EXPECT_TRUE(WaitUntil([&] { return program.Checked(IDC_ENABLE_CACHE); }))
        << "No keeps the cache on";
    EXPECT_TRUE(program.Enabled(IDC_RESET_CACHE));

    program.PostClick(IDC_ENABLE_CACHE);
    ASSERT_TRUE(program.Answer(IDYES));
    EXPECT_TRUE(WaitUntil([&] { return !program.Enabled(IDC_RESET_CACHE); }));
    EXPECT_FALSE(program.Checked(IDC_ENABLE_CACHE));

    program.Click(IDC_CACHE_ALL);
    EXPECT_FALSE(program.Enabled(IDC_ENABLE_SPLASH));
    EXPECT_TRUE(program.Checked(IDC_ENABLE_SPLASH)) << "the check mark stays";
    program.Click(IDC_CACHE_ALL);
    EXPECT_TRUE(program.Enabled(IDC_ENABLE_SPLASH));
    program.Click(IDC_CACHE_ALL);

    program.Click(IDOK);
    EXPECT_EQ(program.WaitForExit(), 1);
    ExpectInteger(L"EnableCache", 0);
    ExpectInteger(L"CacheAll", 0);
    ExpectInteger(L"EnableUpdSplash", 1);
}

TEST_F(SettingsDialog, AFullLengthTitleRoundTripsAndUncheckingRemovesTheRunEntry) {
    const std::wstring title = std::wstring(258, L'a') + L'z';  // 259 characters
    {
        PropertiesProgram program;
        ASSERT_NE(program.Dialog(), nullptr);
        program.SetText(IDC_COLUMN_TITLE, title);
        program.Click(IDC_START_WITH_WINDOWS);
        program.Click(IDOK);
        EXPECT_EQ(program.WaitForExit(), 1);
    }
    const auto stored = ReadSetting(L"ColumnTitle");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->bytes.size(), 520u);
    ASSERT_TRUE(ReadRunEntry());

    PropertiesProgram program;
    ASSERT_NE(program.Dialog(), nullptr);
    EXPECT_EQ(program.Text(IDC_COLUMN_TITLE), title);
    EXPECT_TRUE(program.Checked(IDC_START_WITH_WINDOWS));
    program.Click(IDC_START_WITH_WINDOWS);
    program.Click(IDOK);
    EXPECT_EQ(program.WaitForExit(), 1);
    EXPECT_FALSE(ReadRunEntry());
    EXPECT_EQ(ReadSetting(L"ColumnTitle")->bytes.size(), 520u);
}

TEST_F(SettingsDialog, ValuesOfAnyWidthOrTypeLoadWithoutHarm) {
    const wchar_t longTitle[400] = {L'q'};  // 800 bytes: too long, counts as missing
    StoreSetting(L"ColumnTitle", REG_BINARY, longTitle, sizeof(longTitle));
    const DWORD two = 2;
    StoreSetting(L"EnableCache", REG_DWORD, &two, sizeof(two));  // 4 bytes over the preset 1
    const wchar_t text[] = L"3";
    StoreSetting(L"ViewStyle", REG_SZ, text, sizeof(text));  // '3' = 0x33: outside the list
    const BYTE junk[30] = {0x41, 0};
    StoreSetting(L"Separator", REG_BINARY, junk, sizeof(junk));  // too long: default blank
    StoreSetting(L"PB_Symbol", REG_BINARY, junk, 3);
    StoreSetting(L"WindowSubPos", REG_BINARY, junk, 5);
    StoreSetting(L"AlwaysOnTop", REG_BINARY, junk, 0);

    PropertiesProgram program;
    ASSERT_NE(program.Dialog(), nullptr);
    EXPECT_EQ(program.Text(IDC_COLUMN_TITLE), L"SizeEx");
    EXPECT_FALSE(program.Checked(IDC_ENABLE_CACHE)) << "2 is not on";
    EXPECT_FALSE(program.Enabled(IDC_RESET_CACHE));
    EXPECT_EQ(program.Selection(IDC_VIEW_STYLE), -1);
    EXPECT_EQ(program.Text(IDC_SEPARATOR), L"Space");
    EXPECT_EQ(program.Text(IDC_PB_SYMBOL), L"A");
    EXPECT_TRUE(program.Checked(IDC_ALWAYS_ON_TOP)) << "an empty value leaves the preset";
    program.Click(IDCANCEL);
    EXPECT_EQ(program.WaitForExit(), 2);
}

TEST_F(SettingsDialog, ASettingsKeyThatCannotBeCreatedStoresNothing) {
    // A non-volatile key cannot be made below a volatile one.
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Karvane\\Trovelle Pro");
    UniqueRegistryKey blocker;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Karvane\\Trovelle Pro", 0, nullptr,
                                REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, blocker.Put(),
                                nullptr),
              ERROR_SUCCESS);
    {
        PropertiesProgram program;
        ASSERT_NE(program.Dialog(), nullptr);
        program.Click(IDC_START_WITH_WINDOWS);
        program.SelectEntry(IDC_VIEW_METRIC, 2);
        program.Click(IDOK);
        EXPECT_EQ(program.WaitForExit(), 1);
    }
    EXPECT_FALSE(SettingsKeyExists());
    EXPECT_FALSE(ReadRunEntry()) << "the start-with-Windows entry is not written either";
    blocker.Reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Karvane\\Trovelle Pro");
}

}  // namespace
}  // namespace trovelle::test
