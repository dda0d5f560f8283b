// The settings codec: any stored bytes for any value, read by any deliverable.
//
// Input: byte 0 picks the setting, byte 1 the reader, byte 2 bit 0 says the value is missing;
// the rest is the value as the registry would hand it back.
// What a reader ends up with is the preset of its own capacity with the stored bytes laid over
// it, unless they are longer than that capacity; a value written by the writer side reads back
// as itself wherever the reader's buffer holds it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "settings/Settings.h"

namespace {

using trovelle::Bytes;
using trovelle::Setting;
using trovelle::SettingKind;
using trovelle::SettingsReader;

constexpr int kSettingCount = static_cast<int>(Setting::WindowSubPos) + 1;
constexpr int kReaderCount = static_cast<int>(SettingsReader::TrovexProperties) + 1;

uint64_t LittleEndian(const uint8_t* bytes, size_t count) {
    uint64_t value = 0;
    for (size_t i = 0; i < count; ++i) value |= uint64_t{bytes[i]} << (8 * i);
    return value;
}

// The reader's buffer as the reader-side rules describe it, written out by hand.
Bytes ExpectedBuffer(Setting setting, size_t capacity, const uint8_t* stored, size_t length) {
    Bytes buffer = trovelle::PresetBuffer(setting, capacity);
    if (stored != nullptr && length <= capacity) {
        for (size_t i = 0; i < length; ++i) buffer[i] = stored[i];
    }
    return buffer;
}

std::u16string TextUpToNul(const Bytes& buffer) {
    std::u16string text;
    for (size_t i = 0; i + 1 < buffer.size(); i += 2) {
        const auto unit = static_cast<char16_t>(buffer[i] | buffer[i + 1] << 8);
        if (unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

void CheckPreset(Setting setting, size_t capacity) {
    const trovelle::SettingInfo& info = trovelle::InfoOf(setting);
    FUZZ_CHECK(info.setting == setting && info.name != nullptr);
    const Bytes preset = trovelle::PresetBuffer(setting, capacity);
    FUZZ_CHECK(preset.size() == capacity);
    switch (info.kind) {
        case SettingKind::Integer:
            if (capacity >= 8) FUZZ_CHECK(trovelle::DecodeInteger(preset) == info.integerDefault);
            break;
        case SettingKind::Character:
            if (capacity >= 2) FUZZ_CHECK(trovelle::DecodeCharacter(preset) == info.characterDefault);
            break;
        case SettingKind::Text: {
            const std::u16string text = info.textDefault;
            if (capacity >= (text.size() + 1) * 2) FUZZ_CHECK(trovelle::DecodeText(preset) == text);
            break;
        }
        case SettingKind::Placement:
            for (uint8_t byte : preset) FUZZ_CHECK(byte == 0);
            break;
    }
}

void CheckDecoders(const Bytes& buffer) {
    const uint64_t integer = LittleEndian(buffer.data(), buffer.size() < 8 ? buffer.size() : 8);
    FUZZ_CHECK(trovelle::DecodeInteger(buffer) == static_cast<int64_t>(integer));
    const char16_t character =
        buffer.size() < 2 ? 0 : static_cast<char16_t>(buffer[0] | buffer[1] << 8);
    FUZZ_CHECK(trovelle::DecodeCharacter(buffer) == character);
    const std::u16string text = trovelle::DecodeText(buffer);
    FUZZ_CHECK(text == TextUpToNul(buffer));
    FUZZ_CHECK(text.size() <= buffer.size() / 2);
}

// The writer's encodings read back as what was written, and exactly at the stored widths.
void CheckRoundTrips(Setting setting, SettingsReader reader, size_t capacity, const uint8_t* value,
                     size_t length) {
    const trovelle::SettingInfo& info = trovelle::InfoOf(setting);

    const auto integer = static_cast<int64_t>(LittleEndian(value, length < 8 ? length : 8));
    const Bytes encodedInteger = trovelle::EncodeInteger(integer);
    FUZZ_CHECK(encodedInteger.size() == 8);
    FUZZ_CHECK(trovelle::DecodeInteger(encodedInteger) == integer);

    const auto character = static_cast<char16_t>(LittleEndian(value, length < 2 ? length : 2));
    const Bytes encodedCharacter = trovelle::EncodeCharacter(character);
    FUZZ_CHECK(encodedCharacter.size() == 2);
    FUZZ_CHECK(trovelle::DecodeCharacter(encodedCharacter) == character);

    std::u16string text;
    for (size_t i = 0; i + 1 < length; i += 2) {
        const auto unit = static_cast<char16_t>(value[i] | value[i + 1] << 8);
        if (unit == 0) break;
        text.push_back(unit);
    }
    const Bytes encodedText = trovelle::EncodeText(text);
    FUZZ_CHECK(encodedText.size() == (text.size() + 1) * 2);
    FUZZ_CHECK(trovelle::DecodeText(encodedText) == text);

    if (capacity == 0) return;  // this reader never reads this value
    switch (info.kind) {
        case SettingKind::Integer: {
            const int64_t read = trovelle::ReadInteger(setting, reader, encodedInteger.data(), 8);
            if (capacity >= 8) {
                FUZZ_CHECK(read == integer);
            } else {
                FUZZ_CHECK(read == trovelle::ReadInteger(setting, reader, nullptr, 0));
            }
            break;
        }
        case SettingKind::Character: {
            const char16_t read = trovelle::ReadCharacter(setting, reader, encodedCharacter.data(), 2);
            if (capacity >= 2) FUZZ_CHECK(read == character);
            break;
        }
        case SettingKind::Text: {
            const std::u16string read =
                trovelle::ReadText(setting, reader, encodedText.data(), encodedText.size());
            // A title longer than the reader's buffer counts as missing: the default is shown.
            if (encodedText.size() <= capacity) {
                FUZZ_CHECK(read == text);
            } else {
                FUZZ_CHECK(read == trovelle::ReadText(setting, reader, nullptr, 0));
            }
            break;
        }
        case SettingKind::Placement:
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const auto setting = static_cast<Setting>(data[0] % kSettingCount);
    const auto reader = static_cast<SettingsReader>(data[1] % kReaderCount);
    const bool missing = (data[2] & 1) != 0;
    const uint8_t* value = data + 3;
    const size_t length = size - 3;
    const uint8_t* stored = missing ? nullptr : value;

    const size_t capacity = trovelle::CapacityOf(reader, setting);
    CheckPreset(setting, capacity);

    // The overlay itself, on the reader's preset.
    Bytes buffer = trovelle::PresetBuffer(setting, capacity);
    trovelle::OverlayStoredValue(buffer, stored, length);
    const Bytes expected = ExpectedBuffer(setting, capacity, stored, length);
    FUZZ_CHECK(buffer == expected);
    CheckDecoders(buffer);
    CheckDecoders(Bytes(value, value + length));

    // Each reading function ends with the same buffer's value.
    switch (trovelle::InfoOf(setting).kind) {
        case SettingKind::Integer:
            FUZZ_CHECK(trovelle::ReadInteger(setting, reader, stored, length) ==
                       trovelle::DecodeInteger(expected));
            break;
        case SettingKind::Character:
            FUZZ_CHECK(trovelle::ReadCharacter(setting, reader, stored, length) ==
                       trovelle::DecodeCharacter(expected));
            break;
        case SettingKind::Text:
            FUZZ_CHECK(trovelle::ReadText(setting, reader, stored, length) == TextUpToNul(expected));
            break;
        case SettingKind::Placement:
            break;
    }

    CheckRoundTrips(setting, reader, capacity, value, length);
    return 0;
}
