#include "PropertiesDriver.h"

#include <cstring>

#include <gtest/gtest.h>

#include "SettingsStore.h"

namespace trovelle::test {
namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !::IsWindowVisible(window)) return TRUE;
    wchar_t text[256] = {};
    ::GetClassNameW(window, text, 256);
    if (search->className != nullptr && std::wstring(text) != search->className) return TRUE;
    ::GetWindowTextW(window, text, 256);
    if (search->caption != nullptr && std::wstring(text) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

std::optional<StoredValue> ReadValue(HKEY root, const wchar_t* path, const wchar_t* name) {
    UniqueRegistryKey key;
    if (::RegOpenKeyExW(root, path, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return std::nullopt;
    StoredValue value;
    DWORD length = 0;
    if (::RegQueryValueExW(key.Get(), name, nullptr, &value.type, nullptr, &length) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.bytes.resize(length);
    if (::RegQueryValueExW(key.Get(), name, nullptr, &value.type, value.bytes.data(), &length) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.bytes.resize(length);
    return value;
}

}  // namespace

HWND WaitForWindow(DWORD processId, const wchar_t* className, const wchar_t* caption,
                   DWORD milliseconds) {
    WindowSearch search{processId, className, caption, nullptr};
    WaitUntil(
        [&] {
            ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        milliseconds);
    return search.found;
}

std::wstring InstalledProgram() {
    return std::wstring(kProgramFolder) + L"\\TrovexProperties.exe";
}

PropertiesProgram::PropertiesProgram(std::wstring program) {
    std::wstring command = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          kProgramFolder, &startup, &started)) {
        ADD_FAILURE() << "TrovexProperties.exe did not start: " << ::GetLastError();
        return;
    }
    ::CloseHandle(started.hThread);
    process_.Reset(started.hProcess);
    processId_ = started.dwProcessId;
    dialog_ = WaitForWindow(processId_, L"#32770", kSettingsCaption, 15000);
    if (dialog_ == nullptr) ADD_FAILURE() << "the settings dialog did not show";
}

PropertiesProgram::~PropertiesProgram() {
    if (!process_ || ended_) return;
    // A test that failed half-way leaves no program behind for the next one.
    if (::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.Get(), 99);
        ::WaitForSingleObject(process_.Get(), 5000);
    }
}

void PropertiesProgram::Click(int id) const { ::SendMessageW(Item(id), BM_CLICK, 0, 0); }

void PropertiesProgram::PostClick(int id) const { ::PostMessageW(Item(id), BM_CLICK, 0, 0); }

void PropertiesProgram::SetText(int id, const std::wstring& text) const {
    ::SendMessageW(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void PropertiesProgram::Type(int comboId, const std::wstring& text) const {
    const HWND edit = ::FindWindowExW(Item(comboId), nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t unit : text) ::SendMessageW(edit, WM_CHAR, unit, 1);
}

void PropertiesProgram::SelectEntry(int comboId, int index) const {
    ::SendMessageW(Item(comboId), CB_SETCURSEL, index, 0);
    ::SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(Item(comboId)));
}

std::wstring PropertiesProgram::Text(int id) const {
    wchar_t text[600] = {};
    ::SendMessageW(Item(id), WM_GETTEXT, 600, reinterpret_cast<LPARAM>(text));
    return text;
}

int PropertiesProgram::Selection(int comboId) const {
    return static_cast<int>(::SendMessageW(Item(comboId), CB_GETCURSEL, 0, 0));
}

bool PropertiesProgram::Checked(int id) const {
    return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool PropertiesProgram::Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }

bool PropertiesProgram::Answer(int button) const {
    const HWND box = WaitForWindow(processId_, L"#32770", kQuestionCaption);
    if (box == nullptr) return false;
    ::PostMessageW(::GetDlgItem(box, button), BM_CLICK, 0, 0);
    return WaitUntil([&] { return !::IsWindow(box); });
}

int PropertiesProgram::WaitForExit(DWORD milliseconds) {
    if (!process_ || ::WaitForSingleObject(process_.Get(), milliseconds) != WAIT_OBJECT_0) {
        return -1;
    }
    ended_ = true;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.Get(), &code);
    return static_cast<int>(code);
}

std::optional<StoredValue> ReadSetting(const wchar_t* name) {
    return ReadValue(HKEY_CURRENT_USER, kSettingsKeyPath, name);
}

std::optional<StoredValue> ReadRunEntry() {
    return ReadValue(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName);
}

void StoreSetting(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    SettingsKey key = SettingsKey::OpenForWriting(KEY_ALL_ACCESS);
    ASSERT_TRUE(key);
    ASSERT_EQ(::RegSetValueExW(key.Handle(), name, 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
}

void DeleteSettingsKey() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath); }

void DeleteRunEntry() { trovelle::DeleteRunEntry(); }

void PressKeyIn(HWND window, WORD key) {
    ::SetForegroundWindow(window);
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = key;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof(INPUT));
}

void WithoutStoredSettings::SetUp() {
    DeleteSettingsKey();
    DeleteRunEntry();
}

void WithoutStoredSettings::TearDown() {
    DeleteSettingsKey();
    DeleteRunEntry();
}

bool SettingsKeyExists() { return static_cast<bool>(SettingsKey::OpenExisting(KEY_READ)); }

int64_t AsInteger(const StoredValue& value) {
    uint64_t number = 0;
    for (size_t i = 0; i < 8 && i < value.bytes.size(); ++i) {
        number |= uint64_t{value.bytes[i]} << (8 * i);
    }
    return static_cast<int64_t>(number);
}

std::wstring AsText(const StoredValue& value) {
    std::wstring text(value.bytes.size() / 2, L'\0');
    std::memcpy(text.data(), value.bytes.data(), text.size() * 2);
    return text;
}

}  // namespace trovelle::test
