// The window's list as a CSV file: the document, the Save dialog and the atomic write.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace trovelle::browser {

struct ExportRow {
    std::wstring name;
    std::optional<uint64_t> size;        // the folder's total or the file's length; none: unknown
    std::optional<uint64_t> sizeOnDisk;
    std::optional<double> sharePercent;  // of the open folder's total
    std::wstring type;
    FILETIME modified = {};
};

// UTF-8 with a byte-order mark (so spreadsheets take it as UTF-8); the header line
// "Name,Size,Size on disk,Share,Type,Date modified"; exact byte counts, the share as a percent
// with one decimal ("12.5"), the date in ISO 8601 UTC; an unknown value is an empty field.
std::string CsvDocument(const std::vector<ExportRow>& rows);

// Asks where to save (the common Save dialog, "CSV files (*.csv)", `suggestedName` offered),
// then writes the document. S_FALSE when the user cancelled; a failed write is told to the user
// in a message box and returned.
HRESULT ExportList(HWND owner, const std::wstring& suggestedName, const std::vector<ExportRow>& rows);

// Writes `bytes` to `path` atomically: a temporary file beside it, then moved over it, so a
// failure leaves an older file whole.
HRESULT WriteTextFile(const std::wstring& path, const std::string& bytes);

}  // namespace trovelle::browser
