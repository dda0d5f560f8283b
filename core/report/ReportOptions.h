// The size report's command line: what to measure, how deep, and in which form to print it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trovelle {

enum class ReportOrder { BySize, BySizeOnDisk };
enum class ReportFormat { Text, Json, Csv };

struct ReportOptions {
    std::vector<std::u16string> folders;  // as given; none means the current folder
    unsigned depth = 1;                   // levels of subfolders below each folder
    size_t top = 0;                       // the largest subfolders kept per folder; 0 keeps all
    ReportOrder order = ReportOrder::BySize;
    ReportFormat format = ReportFormat::Text;
    bool exactBytes = false;  // the text shows byte counts, not the user's size format
    bool noCache = false;     // sum here instead of asking the cache server
    bool help = false;
};

// The deepest report asked for: deeper trees are rare, and each level is one more walk.
inline constexpr unsigned kDeepestReport = 1000;

struct ParsedReportOptions {
    ReportOptions options;
    std::u16string error;  // empty when the command line is sound

    bool ok() const { return error.empty(); }
};

// `arguments` without the program's name. "--name value" and "--name=value" both work; "--"
// ends the options.
ParsedReportOptions ParseReportOptions(const std::vector<std::u16string_view>& arguments);

// The usage text, lines ended by CRLF.
extern const char16_t kReportUsage[];

}  // namespace trovelle
