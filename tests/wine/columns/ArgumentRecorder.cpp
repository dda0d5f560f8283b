// Stands in for a program the product starts: writes the arguments it was given, one a line, to
// the file named by TROVELLE_RECORD, so a test can see what the program would have received.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    wchar_t path[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"TROVELLE_RECORD", path, MAX_PATH) == 0) return 2;
    FILE* record = _wfopen(path, L"w, ccs=UTF-8");
    if (record == nullptr) return 3;
    for (int index = 1; index < argc; ++index) std::fwprintf(record, L"%ls\n", argv[index]);
    std::fclose(record);
    return 0;
}
