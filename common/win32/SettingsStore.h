// The settings key in the current user's registry, reached the same way by every deliverable.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "ProductNames.h"
#include "settings/Settings.h"
#include "UniqueHandle.h"

namespace trovelle {

// A key of the current user's: opened with `access`, or made when missing if `create`. Empty when
// neither works.
UniqueRegistryKey OpenUserKey(const wchar_t* path, REGSAM access, bool create);

class SettingsKey {
public:
    // Opens the key for reading; a missing key is no error, every read then gives its preset.
    static SettingsKey OpenForReading();
    // Opens the key, creating it when missing.
    static SettingsKey OpenForWriting(REGSAM access);
    // Opens the key only if it exists (loading must never create it).
    static SettingsKey OpenExisting(REGSAM access);

    explicit operator bool() const { return static_cast<bool>(key_); }
    HKEY Handle() const { return key_.Get(); }

    // Each read starts from a preset (the default unless given) and applies the stored bytes
    // with the reader's capacity; failures leave the preset.
    int64_t ReadInteger(Setting setting, SettingsReader reader) const;
    int64_t ReadInteger(Setting setting, SettingsReader reader, int64_t preset) const;
    char16_t ReadCharacter(Setting setting, SettingsReader reader) const;
    std::wstring ReadText(Setting setting, SettingsReader reader) const;
    // Stored bytes overlaid on `preset` (whose size is the capacity).
    Bytes ReadOver(Setting setting, Bytes preset) const;

    LSTATUS WriteInteger(Setting setting, int64_t value) const;
    LSTATUS WriteCharacter(Setting setting, wchar_t value) const;
    LSTATUS WriteText(Setting setting, const std::wstring& text) const;
    LSTATUS WriteBytes(Setting setting, const Bytes& bytes) const;

private:
    explicit SettingsKey(UniqueRegistryKey key) : key_(std::move(key)) {}
    UniqueRegistryKey key_;
};

// The start-with-Windows entry of the cache server.
LSTATUS WriteRunEntry(const std::wstring& serverPath);
LSTATUS DeleteRunEntry();
bool HasRunEntry();

}  // namespace trovelle
