#include "report/ReportOptions.h"

#include <limits>
#include <optional>

namespace trovelle {

const char16_t kReportUsage[] =
    u"Usage: TrovelleSize [options] [FOLDER...]\r\n"
    u"Shows the size and size on disk of each FOLDER (default: the current folder) and of its\r\n"
    u"subfolders, largest first.\r\n"
    u"\r\n"
    u"  --depth N    subfolders N levels deep (default 1; 0 shows the folder alone)\r\n"
    u"  --top N      only the N largest subfolders of each folder\r\n"
    u"  --sort disk  order by size on disk (--sort size, the default, by size)\r\n"
    u"  --bytes      exact byte counts instead of the size format of the settings\r\n"
    u"  --json       JSON: {\"path\", \"size\", \"sizeOnDisk\", \"children\"} for each folder\r\n"
    u"  --csv        CSV rows: path,size,sizeOnDisk,share\r\n"
    u"  --no-cache   sum the folders here instead of asking Trovelle Pro's cache\r\n"
    u"  --help       this text\r\n"
    u"\r\n"
    u"Exit codes: 0 every folder answered; 1 the output could not be written;\r\n"
    u"2 a usage error; 3 a folder does not exist or could not be read.\r\n";

namespace {

// A count of decimal digits alone, at most `largest`.
std::optional<uint64_t> Count(std::u16string_view text, uint64_t largest) {
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (const char16_t unit : text) {
        if (unit < u'0' || unit > u'9') return std::nullopt;
        value = value * 10 + (unit - u'0');
        if (value > largest) return std::nullopt;
    }
    return value;
}

std::u16string Quoted(std::u16string_view text) { return u"'" + std::u16string(text) + u"'"; }

class Parser {
public:
    explicit Parser(const std::vector<std::u16string_view>& arguments) : arguments_(arguments) {}

    ParsedReportOptions Parse() {
        bool optionsEnded = false;
        for (; at_ < arguments_.size() && result_.ok(); ++at_) {
            const std::u16string_view argument = arguments_[at_];
            if (!optionsEnded && argument == u"--") {
                optionsEnded = true;
            } else if (!optionsEnded && IsOption(argument)) {
                Option(argument);
            } else if (argument.empty()) {
                result_.error = u"a folder name is empty";
            } else {
                result_.options.folders.emplace_back(argument);
            }
        }
        return std::move(result_);
    }

private:
    static bool IsOption(std::u16string_view argument) {
        return (argument.size() > 1 && argument[0] == u'-') || argument == u"/?";
    }

    void Option(std::u16string_view argument) {
        std::u16string_view name = argument;
        std::optional<std::u16string_view> attached;
        if (const size_t equals = argument.find(u'='); equals != std::u16string_view::npos) {
            name = argument.substr(0, equals);
            attached = argument.substr(equals + 1);
        }
        ReportOptions& options = result_.options;
        if (name == u"--depth") {
            if (const auto value = Value(name, attached)) {
                const auto depth = Count(*value, kDeepestReport);
                if (!depth) return Fail(u"--depth takes a number from 0 to 1000, not " + Quoted(*value));
                options.depth = static_cast<unsigned>(*depth);
            }
        } else if (name == u"--top") {
            if (const auto value = Value(name, attached)) {
                const auto top = Count(*value, std::numeric_limits<uint32_t>::max());
                if (!top || *top == 0) return Fail(u"--top takes a number from 1 up, not " + Quoted(*value));
                options.top = static_cast<size_t>(*top);
            }
        } else if (name == u"--sort") {
            if (const auto value = Value(name, attached)) {
                if (*value == u"size") {
                    options.order = ReportOrder::BySize;
                } else if (*value == u"disk") {
                    options.order = ReportOrder::BySizeOnDisk;
                } else {
                    return Fail(u"--sort takes 'size' or 'disk', not " + Quoted(*value));
                }
            }
        } else if (attached) {
            Fail(u"the option " + Quoted(name) + u" takes no value");
        } else if (name == u"--json" || name == u"--csv") {
            const ReportFormat format = name == u"--json" ? ReportFormat::Json : ReportFormat::Csv;
            if (options.format != ReportFormat::Text && options.format != format) {
                return Fail(u"--json and --csv cannot be used together");
            }
            options.format = format;
        } else if (name == u"--bytes") {
            options.exactBytes = true;
        } else if (name == u"--no-cache") {
            options.noCache = true;
        } else if (name == u"--help" || name == u"-h" || name == u"-?" || name == u"/?") {
            options.help = true;
        } else {
            Fail(u"unknown option " + Quoted(name));
        }
    }

    // The option's value: after '=', or the next argument.
    std::optional<std::u16string_view> Value(std::u16string_view name,
                                             std::optional<std::u16string_view> attached) {
        if (attached) return attached;
        if (at_ + 1 < arguments_.size()) return arguments_[++at_];
        Fail(Quoted(name) + u" needs a value");
        return std::nullopt;
    }

    void Fail(std::u16string error) { result_.error = std::move(error); }

    const std::vector<std::u16string_view>& arguments_;
    size_t at_ = 0;
    ParsedReportOptions result_;
};

}  // namespace

ParsedReportOptions ParseReportOptions(const std::vector<std::u16string_view>& arguments) {
    return Parser(arguments).Parse();
}

}  // namespace trovelle
