// The settings values: names, encodings, widths, defaults and each reader's capacities.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trovelle {

enum class Setting {
    ViewStyle,
    ViewMetric,
    Separator,
    DecimalDigits,
    ColumnTitle,
    EnableCache,
    CacheAll,
    EnableUpdSplash,
    AlwaysOnTop,
    PB_Style,
    PB_Symbol,
    WindowSubPos,
};

enum class SettingKind { Integer, Character, Text, Placement };

// The deliverable that reads a value; each reads into a buffer of its own capacity.
enum class SettingsReader { Trovex, TrovexCache, TrovexBar, TrovexProperties };

struct SettingInfo {
    Setting setting;
    const char16_t* name;  // registry value name
    SettingKind kind;
    int64_t integerDefault;       // Integer values
    char16_t characterDefault;    // Character values
    const char16_t* textDefault;  // Text values
};

const SettingInfo& InfoOf(Setting setting);
// Capacity in bytes with which `reader` queries `setting`; 0 when it never reads it.
size_t CapacityOf(SettingsReader reader, Setting setting);

using Bytes = std::vector<uint8_t>;

// Writer side: exactly the stored widths.
Bytes EncodeInteger(int64_t value);                // 8 bytes, little-endian
Bytes EncodeCharacter(char16_t value);             // 2 bytes
Bytes EncodeText(std::u16string_view text);        // code units and terminator

// Reader side: a stored value longer than the capacity counts as missing and leaves the preset
// untouched; a shorter one replaces only its own leading bytes.
void OverlayStoredValue(Bytes& preset, const uint8_t* stored, size_t storedLength);

int64_t DecodeInteger(const Bytes& buffer);          // first 8 bytes
char16_t DecodeCharacter(const Bytes& buffer);       // first code unit
std::u16string DecodeText(const Bytes& buffer);      // up to the first NUL or the buffer's end

inline bool IsFlagOn(int64_t value) { return value == 1; }

// A preset buffer of `capacity` bytes holding the setting's default.
Bytes PresetBuffer(Setting setting, size_t capacity);

// What a reader ends up with, given the stored bytes (nullptr: value or key missing).
int64_t ReadInteger(Setting setting, SettingsReader reader, const uint8_t* stored, size_t length);
char16_t ReadCharacter(Setting setting, SettingsReader reader, const uint8_t* stored,
                       size_t length);
std::u16string ReadText(Setting setting, SettingsReader reader, const uint8_t* stored,
                        size_t length);

}  // namespace trovelle
