#include "ColumnSettings.h"

#include "SettingsStore.h"
#include "WideText.h"

namespace trovelle {
namespace {

// A character read over the previous value; PB_Symbol's second unit stays 0 so the symbol
// reads as a one-character string.
char16_t RereadCharacter(const SettingsKey& key, Setting setting, char16_t previous) {
    Bytes preset = EncodeCharacter(previous);
    preset.resize(CapacityOf(SettingsReader::Trovex, setting), 0);
    return DecodeCharacter(key.ReadOver(setting, std::move(preset)));
}

}  // namespace

void ColumnSettings::Reread() { RereadFrom(SettingsKey::OpenForReading()); }

void ColumnSettings::RereadFrom(const SettingsKey& key) {
    if (!key) return;
    constexpr SettingsReader kReader = SettingsReader::Trovex;
    viewStyle = key.ReadInteger(Setting::ViewStyle, kReader, viewStyle);
    viewMetric = key.ReadInteger(Setting::ViewMetric, kReader, viewMetric);
    separator = RereadCharacter(key, Setting::Separator, separator);
    decimalDigits = key.ReadInteger(Setting::DecimalDigits, kReader, decimalDigits);
    enableCache = key.ReadInteger(Setting::EnableCache, kReader, enableCache);
    barStyle = key.ReadInteger(Setting::PB_Style, kReader, barStyle);
    barSymbol = RereadCharacter(key, Setting::PB_Symbol, barSymbol);
}

std::wstring SizeText(uint64_t size, const ColumnSettings& settings) {
    const std::optional<std::u16string> text = FormatSizeText(size, settings.SizeText());
    return text ? ToWide(*text) : std::wstring();
}

}  // namespace trovelle
