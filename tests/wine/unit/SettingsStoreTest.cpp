// The settings store against Wine's real registry.
#include <windows.h>

#include <gtest/gtest.h>

#include "SettingsStore.h"

namespace trovelle {
namespace {

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath); }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath); }

    void Store(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
        SettingsKey key = SettingsKey::OpenForWriting(KEY_ALL_ACCESS);
        ASSERT_TRUE(key);
        ASSERT_EQ(::RegSetValueExW(key.Handle(), name, 0, type, static_cast<const BYTE*>(data),
                                   bytes),
                  ERROR_SUCCESS);
    }
};

TEST_F(SettingsStore, MissingKeyGivesDefaultsAndReadingNeverCreatesIt) {
    SettingsKey key = SettingsKey::OpenForReading();
    EXPECT_FALSE(key);
    EXPECT_EQ(key.ReadInteger(Setting::ViewMetric, SettingsReader::Trovex), 1);
    EXPECT_EQ(key.ReadCharacter(Setting::PB_Symbol, SettingsReader::Trovex), u'\u2022');
    EXPECT_EQ(key.ReadText(Setting::ColumnTitle, SettingsReader::Trovex), L"SizeEx");
    EXPECT_FALSE(SettingsKey::OpenExisting(KEY_ALL_ACCESS));
}

TEST_F(SettingsStore, WritesUseBinaryValuesOfExactWidth) {
    SettingsKey key = SettingsKey::OpenForWriting(KEY_READ | KEY_WRITE);
    ASSERT_TRUE(key);
    EXPECT_EQ(key.WriteInteger(Setting::ViewMetric, 3), ERROR_SUCCESS);
    EXPECT_EQ(key.WriteCharacter(Setting::Separator, L'\''), ERROR_SUCCESS);
    EXPECT_EQ(key.WriteText(Setting::ColumnTitle, L"Größe"), ERROR_SUCCESS);

    struct Expected { const wchar_t* name; DWORD bytes; } const expected[] = {
        {L"ViewMetric", 8}, {L"Separator", 2}, {L"ColumnTitle", 12}};
    for (const Expected& value : expected) {
        DWORD type = 0;
        DWORD bytes = 0;
        ASSERT_EQ(::RegQueryValueExW(key.Handle(), value.name, nullptr, &type, nullptr, &bytes),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY)) << value.name;
        EXPECT_EQ(bytes, value.bytes) << value.name;
    }
    SettingsKey reader = SettingsKey::OpenForReading();
    EXPECT_EQ(reader.ReadInteger(Setting::ViewMetric, SettingsReader::TrovexBar), 3);
    EXPECT_EQ(reader.ReadCharacter(Setting::Separator, SettingsReader::Trovex), u'\'');
    EXPECT_EQ(reader.ReadText(Setting::ColumnTitle, SettingsReader::Trovex), L"Größe");
}

TEST_F(SettingsStore, MissingTooLongShortAndMistypedValues) {
    const BYTE nine[9] = {2};
    Store(L"ViewMetric", REG_BINARY, nine, sizeof(nine));
    const BYTE one = 4;
    Store(L"ViewStyle", REG_BINARY, &one, 1);
    const DWORD dword = 1;
    Store(L"EnableCache", REG_DWORD, &dword, sizeof(dword));
    const wchar_t text[] = L"Stored as text";
    Store(L"ColumnTitle", REG_SZ, text, sizeof(text));
    const wchar_t twoSymbols[] = L"|-";
    Store(L"PB_Symbol", REG_BINARY, twoSymbols, 4);

    SettingsKey key = SettingsKey::OpenForReading();
    ASSERT_TRUE(key);
    EXPECT_EQ(key.ReadInteger(Setting::ViewMetric, SettingsReader::Trovex), 1) << "too long";
    EXPECT_EQ(key.ReadInteger(Setting::ViewStyle, SettingsReader::Trovex), 4) << "short";
    EXPECT_EQ(key.ReadInteger(Setting::EnableCache, SettingsReader::Trovex), 1) << "type unchecked";
    EXPECT_EQ(key.ReadText(Setting::ColumnTitle, SettingsReader::Trovex), L"Stored as text");
    EXPECT_EQ(key.ReadCharacter(Setting::PB_Symbol, SettingsReader::Trovex), u'|');
    EXPECT_EQ(key.ReadInteger(Setting::DecimalDigits, SettingsReader::Trovex), 0) << "missing";
    EXPECT_EQ(key.ReadInteger(Setting::DecimalDigits, SettingsReader::Trovex, 3), 3)
        << "a missing value keeps the previous read";
}

TEST_F(SettingsStore, RunEntryIsWrittenTestedAndDeleted) {
    DeleteRunEntry();
    EXPECT_FALSE(HasRunEntry());
    EXPECT_EQ(WriteRunEntry(L"C:\\Program Files\\Trovelle Pro\\TrovexCache.exe"), ERROR_SUCCESS);
    EXPECT_TRUE(HasRunEntry());
    EXPECT_EQ(DeleteRunEntry(), ERROR_SUCCESS);
    EXPECT_FALSE(HasRunEntry());
}

TEST_F(SettingsStore, RunEntryIsReadOnlyUpTo520BytesAndTheReadCreatesNothing) {
    EXPECT_EQ(WriteRunEntry(std::wstring(259, L'x')), ERROR_SUCCESS);  // 520 bytes with the NUL
    EXPECT_TRUE(HasRunEntry());
    EXPECT_EQ(WriteRunEntry(std::wstring(260, L'x')), ERROR_SUCCESS);  // 522 bytes
    EXPECT_FALSE(HasRunEntry()) << "a value longer than a path is no entry of ours";
    DeleteRunEntry();

    // With the Run key gone, looking for the entry leaves it gone.
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kRunKeyPath);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kRunKeyPath);
    EXPECT_FALSE(HasRunEntry());
    UniqueRegistryKey after;
    EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_READ, after.Put()),
              ERROR_SUCCESS) << "looking for the entry made the key";
    UniqueRegistryKey restored;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, KEY_READ, nullptr,
                      restored.Put(), nullptr);
}

}  // namespace
}  // namespace trovelle
