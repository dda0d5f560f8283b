#include "text/CsvText.h"

#include <cstdio>

#include "text/Utf8Text.h"

namespace trovelle {
namespace {

// Days since 1970-01-01 to a proleptic Gregorian date (Howard Hinnant's civil_from_days).
void CivilFromDays(int64_t days, int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthFromMarch = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
    month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
    year = static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

}  // namespace

std::string CsvField(std::u16string_view text) {
    std::string utf8 = ToUtf8(text);
    if (utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
    std::string quoted = "\"";
    for (const char c : utf8) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t at = 0; at < fields.size(); ++at) {
        if (at != 0) line += ',';
        line += fields[at];
    }
    line += "\r\n";
    return line;
}

std::string IsoDateTime(uint64_t fileTimeTicks) {
    if (fileTimeTicks == 0) return {};
    constexpr uint64_t kTicksPerSecond = 10'000'000;
    constexpr int64_t kDaysFrom1601To1970 = 134774;
    const uint64_t seconds = fileTimeTicks / kTicksPerSecond;
    const int64_t days = static_cast<int64_t>(seconds / 86400) - kDaysFrom1601To1970;
    const unsigned secondOfDay = static_cast<unsigned>(seconds % 86400);
    int64_t year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    char text[40];
    std::snprintf(text, sizeof(text), "%04lld-%02u-%02uT%02u:%02u:%02uZ",
                  static_cast<long long>(year), month, day, secondOfDay / 3600,
                  secondOfDay / 60 % 60, secondOfDay % 60);
    return text;
}

}  // namespace trovelle
