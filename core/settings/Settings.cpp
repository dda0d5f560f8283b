#include "settings/Settings.h"

#include <cstring>

namespace trovelle {
namespace {

constexpr SettingInfo kSettings[] = {
    {Setting::ViewStyle, u"ViewStyle", SettingKind::Integer, 0, 0, nullptr},
    {Setting::ViewMetric, u"ViewMetric", SettingKind::Integer, 1, 0, nullptr},
    {Setting::Separator, u"Separator", SettingKind::Character, 0, u' ', nullptr},
    {Setting::DecimalDigits, u"DecimalDigits", SettingKind::Integer, 0, 0, nullptr},
    {Setting::ColumnTitle, u"ColumnTitle", SettingKind::Text, 0, 0, u"SizeEx"},
    {Setting::EnableCache, u"EnableCache", SettingKind::Integer, 1, 0, nullptr},
    {Setting::CacheAll, u"CacheAll", SettingKind::Integer, 1, 0, nullptr},
    {Setting::EnableUpdSplash, u"EnableUpdSplash", SettingKind::Integer, 1, 0, nullptr},
    {Setting::AlwaysOnTop, u"AlwaysOnTop", SettingKind::Integer, 1, 0, nullptr},
    {Setting::PB_Style, u"PB_Style", SettingKind::Integer, 0, 0, nullptr},
    {Setting::PB_Symbol, u"PB_Symbol", SettingKind::Character, 0, u'\u2022', nullptr},
    {Setting::WindowSubPos, u"WindowSubPos", SettingKind::Placement, 0, 0, nullptr},
};

struct Capacity {
    SettingsReader reader;
    Setting setting;
    size_t bytes;
};

constexpr Capacity kCapacities[] = {
    {SettingsReader::Trovex, Setting::ViewStyle, 8},
    {SettingsReader::Trovex, Setting::ViewMetric, 8},
    {SettingsReader::Trovex, Setting::DecimalDigits, 8},
    {SettingsReader::Trovex, Setting::EnableCache, 8},
    {SettingsReader::Trovex, Setting::PB_Style, 8},
    {SettingsReader::Trovex, Setting::Separator, 2},
    {SettingsReader::Trovex, Setting::PB_Symbol, 4},
    {SettingsReader::Trovex, Setting::ColumnTitle, 160},
    {SettingsReader::TrovexCache, Setting::CacheAll, 8},
    {SettingsReader::TrovexCache, Setting::EnableUpdSplash, 8},
    {SettingsReader::TrovexBar, Setting::ViewStyle, 8},
    {SettingsReader::TrovexBar, Setting::ViewMetric, 8},
    {SettingsReader::TrovexBar, Setting::DecimalDigits, 8},
    {SettingsReader::TrovexBar, Setting::Separator, 2},
    {SettingsReader::TrovexProperties, Setting::ViewStyle, 8},
    {SettingsReader::TrovexProperties, Setting::ViewMetric, 8},
    {SettingsReader::TrovexProperties, Setting::DecimalDigits, 8},
    {SettingsReader::TrovexProperties, Setting::EnableCache, 8},
    {SettingsReader::TrovexProperties, Setting::CacheAll, 8},
    {SettingsReader::TrovexProperties, Setting::EnableUpdSplash, 8},
    {SettingsReader::TrovexProperties, Setting::AlwaysOnTop, 8},
    {SettingsReader::TrovexProperties, Setting::PB_Style, 8},
    {SettingsReader::TrovexProperties, Setting::PB_Symbol, 4},
    {SettingsReader::TrovexProperties, Setting::Separator, 20},
    {SettingsReader::TrovexProperties, Setting::ColumnTitle, 520},
    {SettingsReader::TrovexProperties, Setting::WindowSubPos, 44},
};

template <typename Value>
Bytes LittleEndian(Value value, size_t width) {
    Bytes bytes(width);
    for (size_t i = 0; i < width; ++i) {
        bytes[i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
    }
    return bytes;
}

Bytes ReadThrough(Setting setting, SettingsReader reader, const uint8_t* stored, size_t length) {
    Bytes buffer = PresetBuffer(setting, CapacityOf(reader, setting));
    if (stored != nullptr) OverlayStoredValue(buffer, stored, length);
    return buffer;
}

}  // namespace

const SettingInfo& InfoOf(Setting setting) { return kSettings[static_cast<size_t>(setting)]; }

size_t CapacityOf(SettingsReader reader, Setting setting) {
    for (const Capacity& entry : kCapacities) {
        if (entry.reader == reader && entry.setting == setting) return entry.bytes;
    }
    return 0;
}

Bytes EncodeInteger(int64_t value) { return LittleEndian(value, 8); }

Bytes EncodeCharacter(char16_t value) { return LittleEndian(value, 2); }

Bytes EncodeText(std::u16string_view text) {
    Bytes bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

void OverlayStoredValue(Bytes& preset, const uint8_t* stored, size_t storedLength) {
    if (stored == nullptr || storedLength == 0 || storedLength > preset.size()) return;
    std::memcpy(preset.data(), stored, storedLength);
}

int64_t DecodeInteger(const Bytes& buffer) {
    uint64_t value = 0;
    for (size_t i = 0; i < 8 && i < buffer.size(); ++i) value |= uint64_t{buffer[i]} << (8 * i);
    return static_cast<int64_t>(value);
}

char16_t DecodeCharacter(const Bytes& buffer) {
    if (buffer.size() < 2) return 0;
    return static_cast<char16_t>(buffer[0] | (buffer[1] << 8));
}

std::u16string DecodeText(const Bytes& buffer) {
    std::u16string text;
    for (size_t i = 0; i + 1 < buffer.size(); i += 2) {
        const auto unit = static_cast<char16_t>(buffer[i] | (buffer[i + 1] << 8));
        if (unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

Bytes PresetBuffer(Setting setting, size_t capacity) {
    const SettingInfo& info = InfoOf(setting);
    Bytes preset;
    switch (info.kind) {
        case SettingKind::Integer: preset = EncodeInteger(info.integerDefault); break;
        case SettingKind::Character: preset = EncodeCharacter(info.characterDefault); break;
        case SettingKind::Text: preset = EncodeText(info.textDefault); break;
        case SettingKind::Placement: break;
    }
    preset.resize(capacity, 0);
    return preset;
}

int64_t ReadInteger(Setting setting, SettingsReader reader, const uint8_t* stored, size_t length) {
    return DecodeInteger(ReadThrough(setting, reader, stored, length));
}

char16_t ReadCharacter(Setting setting, SettingsReader reader, const uint8_t* stored,
                       size_t length) {
    return DecodeCharacter(ReadThrough(setting, reader, stored, length));
}

std::u16string ReadText(Setting setting, SettingsReader reader, const uint8_t* stored,
                        size_t length) {
    return DecodeText(ReadThrough(setting, reader, stored, length));
}

}  // namespace trovelle
