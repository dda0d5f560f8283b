#include "SizeCommand.h"

#include <memory>
#include <optional>

#include "CacheReportSource.h"
#include "ColumnSettings.h"
#include "DirectoryInformation.h"
#include "SystemErrorText.h"
#include "WideText.h"
#include "Win32DirectoryLister.h"
#include "Win32FileSystem.h"
#include "cache/RequestPath.h"
#include "report/ReportFormats.h"

namespace trovelle::sizes {
namespace {

constexpr char16_t kProgram[] = u"TrovelleSize: ";

std::string Line(std::u16string_view text) { return ToUtf8(std::u16string(kProgram) + std::u16string(text) + u"\r\n"); }

std::u16string ErrorText(DWORD error) { return ToCore(SystemErrorText(error)); }

// The system's words for an HRESULT: a Win32 error's own text where it is one.
std::u16string FailureText(uint32_t failure) {
    const HRESULT result = static_cast<HRESULT>(failure);
    return ErrorText(HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : failure);
}

// Why `path` could not be reported, asked of the file system now.
std::u16string WhyNotReported(const Path& path, uint32_t failure) {
    const std::wstring shown = ToWide(ShownPath(path));
    const DWORD attributes = ::GetFileAttributesW(LongPathForm(shown).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ErrorText(::GetLastError());
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return u"not a folder";
    if (!OpenNamedFolderToList(shown)) {
        return ErrorText(::GetLastError());
    }
    if (failure != 0) return FailureText(failure);
    return u"it changed while it was measured";
}

// The folder as the listers and the cache take it: full, a drive's root as "x:", no trailing
// separator. Nothing when the system cannot make a full path of it (`error` says why).
std::optional<Path> RequestedFolder(std::u16string_view given, DWORD& error) {
    const std::optional<std::wstring> full = FullPathName(ToWide(given));
    if (!full) {
        error = ::GetLastError();
        return std::nullopt;
    }
    CanonicalRequest canonical = CanonicalizeRequest(ToCore(*full));
    Path path = std::move(canonical.path);
    // A share's root ("\\server\share\") is listed from its name alone, as a folder is.
    while (!canonical.isDrivePath && path.size() > 3 && path.back() == u'\\') path.pop_back();
    return path;
}

std::string Formatted(const Report& report, const ReportOptions& options) {
    switch (options.format) {
        case ReportFormat::Json: return ReportJson(report.folders, options.folders.size() > 1);
        case ReportFormat::Csv: return ReportCsv(report.folders, options.order);
        case ReportFormat::Text: break;
    }
    ColumnSettings settings;
    settings.Reread();
    const SizeTextSettings sizes = options.exactBytes ? SizeTextSettings{0, 0, 0} : settings.SizeText();
    return ReportText(report.folders, options.order, sizes);
}

}  // namespace

int RunSizeCommand(const std::vector<std::u16string_view>& arguments, ConsoleStream& out,
                   ConsoleStream& errors) {
    ParsedReportOptions parsed = ParseReportOptions(arguments);
    if (!parsed.ok()) {
        errors.Write(Line(parsed.error) + "\r\n" + ToUtf8(kReportUsage));
        return kUsageError;
    }
    ReportOptions& options = parsed.options;
    if (options.help) return out.Write(ToUtf8(kReportUsage)) == ERROR_SUCCESS ? kAllAnswered : kOutputFailed;
    if (options.folders.empty()) options.folders.push_back(u".");

    bool unresolved = false;  // a folder the system could not make a full path of
    ReportRequest request{{}, options.depth, options.order, options.top};
    for (const std::u16string& given : options.folders) {
        DWORD error = ERROR_SUCCESS;
        if (auto folder = RequestedFolder(given, error)) {
            request.folders.push_back(std::move(*folder));
        } else {
            errors.Write(Line(given + u": " + ErrorText(error)));
            unresolved = true;
        }
    }

    Win32DirectoryLister lister;
    SummingSource summing(lister);
    std::optional<CacheReportSource> cache;
    if (!options.noCache) cache.emplace(lister);
    ReportSource& source = cache ? static_cast<ReportSource&>(*cache) : summing;
    const Report report = GatherReport(source, lister, request);

    const DWORD written = out.Write(Formatted(report, options));
    if (cache && FAILED(cache->Unreachable())) {
        errors.Write(Line(u"Trovelle Pro's cache did not answer (" + FailureText(cache->Unreachable()) +
                          u"); the folders were summed here"));
    }
    for (const ReportProblem& problem : report.problems) {
        errors.Write(Line(ShownPath(problem.path) + u": " + WhyNotReported(problem.path, problem.failure)));
    }
    if (written != ERROR_SUCCESS) {
        errors.Write(Line(u"the output could not be written: " + ErrorText(written)));
        return kOutputFailed;
    }
    return unresolved || !report.problems.empty() ? kFolderProblem : kAllAnswered;
}

}  // namespace trovelle::sizes
