#include "ListExport.h"

#include <commdlg.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "SystemErrorText.h"
#include "UniqueHandle.h"
#include "WideText.h"
#include "Win32FileSystem.h"
#include "text/CsvText.h"

namespace trovelle::browser {
namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr wchar_t kCaption[] = L"Trovelle Pro";

std::string Count(const std::optional<uint64_t>& value) {
    return value ? std::to_string(*value) : std::string();
}

// One decimal, rounded half up, with a point whatever the locale.
std::string Share(const std::optional<double>& percent) {
    if (!percent || !std::isfinite(*percent)) return {};
    const long long tenths = std::llround(std::max(*percent, 0.0) * 10.0);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

uint64_t Ticks(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

HRESULT LastError() {
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

HRESULT WriteAll(HANDLE file, const std::string& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 30));
        DWORD done = 0;
        if (!::WriteFile(file, bytes.data() + written, chunk, &done, nullptr)) return LastError();
        written += done;
    }
    return ::FlushFileBuffers(file) ? S_OK : LastError();
}

// The Save dialog's answer: S_OK with `path`, S_FALSE when cancelled.
HRESULT AskWhereToSave(HWND owner, const std::wstring& suggestedName, std::wstring& path) {
    std::vector<wchar_t> buffer(32768, L'\0');
    suggestedName.copy(buffer.data(), std::min(suggestedName.size(), buffer.size() - 1));
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"CSV files (*.csv)\0*.csv\0All files (*.*)\0*.*\0";
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrDefExt = L"csv";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                   OFN_HIDEREADONLY;
    // The dialogs' library is loaded when asked for: linked, it would cost every start of the
    // window.
    using SaveDialog = BOOL(WINAPI*)(OPENFILENAMEW*);
    using DialogError = DWORD(WINAPI*)();
    const UniqueModule dialogs(::LoadLibraryW(L"comdlg32.dll"));
    const auto getSaveFileName =
        dialogs ? reinterpret_cast<SaveDialog>(reinterpret_cast<void*>(::GetProcAddress(dialogs.Get(), "GetSaveFileNameW")))
                : nullptr;
    const auto extendedError =
        dialogs ? reinterpret_cast<DialogError>(reinterpret_cast<void*>(::GetProcAddress(dialogs.Get(), "CommDlgExtendedError")))
                : nullptr;
    if (getSaveFileName == nullptr || extendedError == nullptr) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    if (!getSaveFileName(&dialog)) {
        const DWORD error = extendedError();
        return error == 0 ? S_FALSE : HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER);
    }
    path = buffer.data();
    return S_OK;
}

}  // namespace

std::string CsvDocument(const std::vector<ExportRow>& rows) {
    std::string document = kByteOrderMark;
    document += CsvLine({"Name", "Size", "Size on disk", "Share", "Type", "Date modified"});
    for (const ExportRow& row : rows) {
        document += CsvLine({CsvField(ToCore(row.name)), Count(row.size), Count(row.sizeOnDisk),
                             Share(row.sharePercent), CsvField(ToCore(row.type)),
                             IsoDateTime(Ticks(row.modified))});
    }
    return document;
}

HRESULT WriteTextFile(const std::wstring& path, const std::string& bytes) {
    const std::wstring temporary =
        path + L"." + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    HRESULT hr = S_OK;
    {
        UniqueKernelHandle file(::CreateFileW(LongPathForm(temporary).c_str(), GENERIC_WRITE, 0,
                                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                              nullptr));
        if (!file) return LastError();
        hr = WriteAll(file.Get(), bytes);
    }
    if (SUCCEEDED(hr) &&
        !::MoveFileExW(LongPathForm(temporary).c_str(), LongPathForm(path).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        hr = LastError();
    }
    if (FAILED(hr)) ::DeleteFileW(LongPathForm(temporary).c_str());
    return hr;
}

HRESULT ExportList(HWND owner, const std::wstring& suggestedName, const std::vector<ExportRow>& rows) {
    std::wstring path;
    HRESULT hr = AskWhereToSave(owner, suggestedName, path);
    if (hr != S_OK) return hr;
    hr = WriteTextFile(path, CsvDocument(rows));
    if (FAILED(hr)) {
        const std::wstring message = L"Trovelle Pro cannot save \"" + path + L"\".\n\n" +
                                     SystemErrorText(HRESULT_FACILITY(hr) == FACILITY_WIN32
                                                         ? HRESULT_CODE(hr)
                                                         : static_cast<DWORD>(hr));
        ::MessageBoxW(owner, message.c_str(), kCaption, MB_OK | MB_ICONWARNING);
    }
    return hr;
}

}  // namespace trovelle::browser
