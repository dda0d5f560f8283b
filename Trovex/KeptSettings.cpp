#include "KeptSettings.h"

#include <string_view>

#include "ColumnTable.h"
#include "ProductNames.h"

namespace trovelle {
namespace {

constexpr std::wstring_view kSettingsPath = kSettingsKeyPath;
constexpr std::wstring_view kParentPath = kSettingsPath.substr(0, kSettingsPath.rfind(L'\\'));

// Opened only to be watched: KEY_NOTIFY is all it needs.
UniqueRegistryKey OpenParent() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, std::wstring(kParentPath).c_str(), 0, KEY_NOTIFY,
                        &key) != ERROR_SUCCESS) {
        key = nullptr;
    }
    return UniqueRegistryKey(key);
}

// One notification of values set or subkeys made or deleted under `key`. Thread-agnostic where
// the system knows the flag (Windows 8 on); elsewhere the notification ends with the thread that
// armed it, which signals the event, so a cell on another thread only rereads once and arms
// again from there.
bool Arm(HKEY key, HANDLE event) {
    constexpr DWORD kChanges = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
    LSTATUS status =
        ::RegNotifyChangeKeyValue(key, FALSE, kChanges | REG_NOTIFY_THREAD_AGNOSTIC, event, TRUE);
    if (status == ERROR_INVALID_PARAMETER) {
        status = ::RegNotifyChangeKeyValue(key, FALSE, kChanges, event, TRUE);
    }
    return status == ERROR_SUCCESS;
}

}  // namespace

void KeptSettings::Refresh() {
    if (watching_ && ::WaitForSingleObject(changed_.Get(), 0) == WAIT_TIMEOUT) return;
    // Armed before reading: a change made while the values are read signals the next cell.
    watching_ = Watch();
    columns_.RereadFrom(*key_);
    title_ = ReadColumnTitle(*key_);
}

// Opens both keys afresh and watches each. A settings key that does not exist yet is watched for
// through its parent; when the parent does not exist either, or a watch cannot be armed, every
// cell opens the keys again, which is what finds them once they are made.
bool KeptSettings::Watch() {
    key_ = SettingsKey::OpenForReading();
    parent_ = OpenParent();
    changed_.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!changed_ || !parent_ || !Arm(parent_.Get(), changed_.Get())) return false;
    return !*key_ || Arm(key_->Handle(), changed_.Get());
}

}  // namespace trovelle
