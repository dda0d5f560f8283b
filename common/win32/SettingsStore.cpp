#include "SettingsStore.h"

#include "WideText.h"

namespace trovelle {
namespace {

const wchar_t* NameOf(Setting setting) { return AsWide(InfoOf(setting).name); }

}  // namespace

UniqueRegistryKey OpenUserKey(const wchar_t* path, REGSAM access, bool create) {
    UniqueRegistryKey key;
    const LSTATUS status =
        create ? ::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   access, nullptr, key.Put(), nullptr)
               : ::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, access, key.Put());
    return status == ERROR_SUCCESS ? std::move(key) : UniqueRegistryKey();
}

SettingsKey SettingsKey::OpenForReading() {
    return SettingsKey(OpenUserKey(kSettingsKeyPath, KEY_READ, false));
}

SettingsKey SettingsKey::OpenForWriting(REGSAM access) {
    return SettingsKey(OpenUserKey(kSettingsKeyPath, access, true));
}

SettingsKey SettingsKey::OpenExisting(REGSAM access) {
    return SettingsKey(OpenUserKey(kSettingsKeyPath, access, false));
}

Bytes SettingsKey::ReadOver(Setting setting, Bytes preset) const {
    if (!key_ || preset.empty()) return preset;
    // Querying into a buffer of exactly the capacity makes a longer value fail with
    // ERROR_MORE_DATA, which then counts as missing; the type is not checked.
    Bytes stored(preset.size());
    DWORD length = static_cast<DWORD>(stored.size());
    if (::RegQueryValueExW(key_.Get(), NameOf(setting), nullptr, nullptr, stored.data(), &length) ==
        ERROR_SUCCESS) {
        OverlayStoredValue(preset, stored.data(), length);
    }
    return preset;
}

int64_t SettingsKey::ReadInteger(Setting setting, SettingsReader reader) const {
    return ReadInteger(setting, reader, InfoOf(setting).integerDefault);
}

int64_t SettingsKey::ReadInteger(Setting setting, SettingsReader reader, int64_t preset) const {
    Bytes buffer = EncodeInteger(preset);
    buffer.resize(CapacityOf(reader, setting), 0);
    return DecodeInteger(ReadOver(setting, std::move(buffer)));
}

char16_t SettingsKey::ReadCharacter(Setting setting, SettingsReader reader) const {
    return DecodeCharacter(ReadOver(setting, PresetBuffer(setting, CapacityOf(reader, setting))));
}

std::wstring SettingsKey::ReadText(Setting setting, SettingsReader reader) const {
    return ToWide(DecodeText(ReadOver(setting, PresetBuffer(setting, CapacityOf(reader, setting)))));
}

LSTATUS SettingsKey::WriteBytes(Setting setting, const Bytes& bytes) const {
    if (!key_) return ERROR_INVALID_HANDLE;
    return ::RegSetValueExW(key_.Get(), NameOf(setting), 0, REG_BINARY, bytes.data(),
                            static_cast<DWORD>(bytes.size()));
}

LSTATUS SettingsKey::WriteInteger(Setting setting, int64_t value) const {
    return WriteBytes(setting, EncodeInteger(value));
}

LSTATUS SettingsKey::WriteCharacter(Setting setting, wchar_t value) const {
    return WriteBytes(setting, EncodeCharacter(static_cast<char16_t>(value)));
}

LSTATUS SettingsKey::WriteText(Setting setting, const std::wstring& text) const {
    return WriteBytes(setting, EncodeText(ToCore(text)));
}

namespace {

// A path as long as the system's classic limit, terminator included: a longer value is no entry
// of ours.
constexpr DWORD kRunEntryCapacity = MAX_PATH * sizeof(wchar_t);

}  // namespace

LSTATUS WriteRunEntry(const std::wstring& serverPath) {
    const UniqueRegistryKey key = OpenUserKey(kRunKeyPath, KEY_ALL_ACCESS, true);
    if (!key) return ERROR_ACCESS_DENIED;
    return ::RegSetValueExW(key.Get(), kRunValueName, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(serverPath.c_str()),
                            static_cast<DWORD>((serverPath.size() + 1) * sizeof(wchar_t)));
}

LSTATUS DeleteRunEntry() {
    const UniqueRegistryKey key = OpenUserKey(kRunKeyPath, KEY_ALL_ACCESS, true);
    if (!key) return ERROR_ACCESS_DENIED;
    return ::RegDeleteValueW(key.Get(), kRunValueName);
}

bool HasRunEntry() {
    // Only read: looking must neither create the key nor need the right to write it.
    const UniqueRegistryKey key = OpenUserKey(kRunKeyPath, KEY_QUERY_VALUE, false);
    if (!key) return false;
    wchar_t path[kRunEntryCapacity / sizeof(wchar_t)] = {};
    DWORD length = kRunEntryCapacity;
    return ::RegQueryValueExW(key.Get(), kRunValueName, nullptr, nullptr,
                              reinterpret_cast<BYTE*>(path), &length) == ERROR_SUCCESS;
}

}  // namespace trovelle
