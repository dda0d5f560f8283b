#include "PageTexts.h"

#include <cwchar>
#include <optional>

#include "ModuleText.h"
#include "ResourceIds.h"
#include "SystemErrorText.h"
#include "WideText.h"
#include "text/SizeText.h"

namespace trovelle {
namespace {

template <typename... Args>
std::wstring Format(UINT id, Args... args) {
    const std::wstring pattern = LoadModuleText(id);
    wchar_t text[1024] = {};
    std::swprintf(text, std::size(text), pattern.c_str(), args...);
    return text;
}

std::wstring LocaleInfo(LCTYPE type) {
    wchar_t text[16] = {};
    ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, text, static_cast<int>(std::size(text)));
    return text;
}

// "3;0" (the locale's form) as NUMBERFMT's number: 3; "3;2;0" as 32.
UINT Grouping(const std::wstring& form) {
    UINT grouping = 0;
    for (const wchar_t unit : form) {
        if (unit >= L'1' && unit <= L'9') grouping = grouping * 10 + (unit - L'0');
    }
    return grouping == 0 ? 3 : grouping;
}

}  // namespace

std::wstring ExactBytesText(uint64_t bytes) {
    std::wstring decimalPoint = LocaleInfo(LOCALE_SDECIMAL);
    std::wstring thousands = LocaleInfo(LOCALE_STHOUSAND);
    NUMBERFMTW format{};
    format.NumDigits = 0;
    format.LeadingZero = 0;
    format.Grouping = Grouping(LocaleInfo(LOCALE_SGROUPING));
    format.lpDecimalSep = decimalPoint.data();
    format.lpThousandSep = thousands.data();
    format.NegativeOrder = 1;
    const std::wstring digits = std::to_wstring(bytes);
    wchar_t grouped[64] = {};
    if (::GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, digits.c_str(), &format, grouped,
                            static_cast<int>(std::size(grouped))) == 0) {
        return Format(IDS_BYTES, digits.c_str());
    }
    return Format(IDS_BYTES, grouped);
}

std::wstring FoldersAndFilesText(unsigned folders, unsigned files) {
    std::wstring text;
    if (folders > 0) text = folders == 1 ? LoadModuleText(IDS_ONE_FOLDER) : Format(IDS_FOLDERS, folders);
    if (files > 0) {
        if (!text.empty()) text += L", ";
        text += files == 1 ? LoadModuleText(IDS_ONE_FILE) : Format(IDS_FILES, files);
    }
    return text;
}

std::wstring FailureText(const MeasureFailure& failure) {
    switch (failure.kind) {
        case MeasureFailure::Kind::Unreadable:
            return Format(IDS_CANNOT_READ, failure.path.c_str(), SystemErrorText(failure.code).c_str());
        case MeasureFailure::Kind::CacheServer:
            return Format(IDS_CACHE_SERVER_FAILED, failure.path.c_str(), failure.code);
        default:
            return {};
    }
}

std::wstring SizeAndBytesText(uint64_t size, const ColumnSettings& settings) {
    const std::wstring exact = ExactBytesText(size);
    const std::wstring text = SizeText(size, settings);
    return text.empty() ? exact : Format(IDS_SIZE_AND_BYTES, text.c_str(), exact.c_str());
}

}  // namespace trovelle
