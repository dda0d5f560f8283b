// Drives a running TrovexProperties.exe from this test program, as a user would, and reads
// what it left in the registry.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "UniqueHandle.h"

namespace trovelle::test {

inline constexpr wchar_t kProgramFolder[] = L"C:\\Program Files\\Trovelle Pro";
inline constexpr wchar_t kSettingsCaption[] = L"Trovelle Pro Properties";
inline constexpr wchar_t kAboutCaption[] = L"About Trovelle Pro";
inline constexpr wchar_t kQuestionCaption[] = L"Trovelle Pro";

std::wstring InstalledProgram();

// A started settings program and its main dialog.
class PropertiesProgram {
public:
    // Starts the program (the installed one unless given) and waits for its dialog; fails the
    // test when none shows.
    explicit PropertiesProgram(std::wstring program = InstalledProgram());
    ~PropertiesProgram();
    PropertiesProgram(const PropertiesProgram&) = delete;
    PropertiesProgram& operator=(const PropertiesProgram&) = delete;

    HWND Dialog() const { return dialog_; }
    HWND Item(int id) const { return ::GetDlgItem(dialog_, id); }
    DWORD ProcessId() const { return processId_; }

    // Clicks that show no message box return when handled; the others are posted.
    void Click(int id) const;
    void PostClick(int id) const;
    void SetText(int id, const std::wstring& text) const;
    // Types into an editable combo box as the keyboard would (the field raises its edit change).
    void Type(int comboId, const std::wstring& text) const;
    void SelectEntry(int comboId, int index) const;
    std::wstring Text(int id) const;
    int Selection(int comboId) const;
    bool Checked(int id) const;
    bool Enabled(int id) const;

    // Answers the program's Yes/No question; false when none appeared in time.
    bool Answer(int button) const;
    // Exit code after the dialog was closed (waits; -1 on timeout).
    int WaitForExit(DWORD milliseconds = 10000);

private:
    UniqueKernelHandle process_;
    DWORD processId_ = 0;
    HWND dialog_ = nullptr;
    bool ended_ = false;
};

// A top-level window of `process` with this class and caption, waited for up to `milliseconds`.
HWND WaitForWindow(DWORD processId, const wchar_t* className, const wchar_t* caption,
                   DWORD milliseconds = 5000);
// Waits until `condition` holds (polling), up to `milliseconds`.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD milliseconds = 5000) {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (condition()) return true;
        ::Sleep(50);
    }
    return condition();
}

// Registry values as stored.
struct StoredValue {
    DWORD type = 0;
    std::vector<uint8_t> bytes;
};
std::optional<StoredValue> ReadSetting(const wchar_t* name);
std::optional<StoredValue> ReadRunEntry();
void StoreSetting(const wchar_t* name, DWORD type, const void* data, DWORD bytes);
void DeleteSettingsKey();

// Brings `window` to the front and presses and releases `key` there, as the keyboard would.
void PressKeyIn(HWND window, WORD key);

// Tests that start from no settings and no Run entry, and leave none behind.
class WithoutStoredSettings : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};
void DeleteRunEntry();
bool SettingsKeyExists();
int64_t AsInteger(const StoredValue& value);
std::wstring AsText(const StoredValue& value);

}  // namespace trovelle::test
