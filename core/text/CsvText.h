// Text for comma-separated files (RFC 4180) in UTF-8, as spreadsheets read them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trovelle {

// One field in UTF-8: in double quotes (quotes inside doubled) when it holds a comma, a quote,
// CR or LF. A lone surrogate becomes U+FFFD.
std::string CsvField(std::u16string_view text);

// The fields joined by commas, ended by CRLF.
std::string CsvLine(const std::vector<std::string>& fields);

// A FILETIME's 100 ns ticks since 1601-01-01 UTC as ISO 8601 UTC to the second,
// "2026-12-08T23:33:40Z"; empty for 0 (a time nobody set).
std::string IsoDateTime(uint64_t fileTimeTicks);

}  // namespace trovelle
