#include "ColumnTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

#include "UniqueHandle.h"

namespace trovelle::test {
namespace {

constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Karvane\\Trovelle Pro\\Settings";

}  // namespace

std::wstring TrovexPath() { return std::wstring(kInstallDir) + L"\\Trovex.dll"; }
std::wstring HostPath() { return std::wstring(kInstallDir) + L"\\Tools\\DetailsHost.exe"; }

void ClearSettings() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

void StoreRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    UniqueRegistryKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, key.Put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
}

void StoreInteger(const wchar_t* name, int64_t value) {
    StoreRaw(name, REG_BINARY, &value, sizeof(value));
}

void StoreCharacter(const wchar_t* name, wchar_t value) {
    StoreRaw(name, REG_BINARY, &value, sizeof(value));
}

void StoreText(const wchar_t* name, const std::wstring& text) {
    StoreRaw(name, REG_BINARY, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
}

Microsoft::WRL::ComPtr<IColumnProvider> CreateHandler() {
    Microsoft::WRL::ComPtr<IColumnProvider> handler;
    const HRESULT hr = ::CoCreateInstance(kTrovexFolderSize, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IColumnProvider, &handler);
    EXPECT_EQ(hr, S_OK) << "is Trovex.dll registered?";
    return handler;
}

CellAnswer AskCell(IColumnProvider& handler, DWORD pid, const std::wstring& path,
                   DWORD attributes) {
    SHCOLUMNID column = {kTrovexFolderSize, pid};
    SHCOLUMNDATA data = {};
    data.dwFileAttributes = attributes;
    wcsncpy(data.wszFile, path.c_str(), MAX_PATH - 1);
    VARIANT value;
    ::VariantInit(&value);
    CellAnswer answer;
    answer.result = handler.GetItemData(&column, &data, &value);
    if (answer.result == S_OK) {
        EXPECT_EQ(value.vt, VT_BSTR);
        if (value.vt == VT_BSTR) answer.text.assign(value.bstrVal, ::SysStringLen(value.bstrVal));
    } else {
        EXPECT_EQ(value.vt, VT_EMPTY) << "an empty cell leaves the variant untouched";
    }
    ::VariantClear(&value);
    return answer;
}

HostRun RunHost(const std::wstring& arguments) {
    HostRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
    UniqueKernelHandle reader(readEnd);
    UniqueKernelHandle writer(writeEnd);
    ::SetHandleInformation(reader.Get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writer.Get();
    startup.hStdError = writer.Get();
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    std::wstring command = L"\"" + HostPath() + L"\" " + arguments;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return run;
    }
    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    writer.Reset();  // the pipe ends when the host's copy closes

    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(reader.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    ::WaitForSingleObject(processHandle.Get(), 60000);
    ::GetExitCodeProcess(processHandle.Get(), &run.exitCode);
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                            nullptr, 0);
    run.output.resize(static_cast<size_t>(units));
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                          run.output.data(), units);
    return run;
}

std::vector<std::vector<std::wstring>> ParseTable(const std::wstring& output) {
    std::vector<std::vector<std::wstring>> rows;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find(L'\n', start);
        if (end == std::wstring::npos) end = output.size();
        std::wstring line = output.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        std::vector<std::wstring> fields;
        size_t field = 0;
        for (;;) {
            const size_t tab = line.find(L'\t', field);
            fields.push_back(line.substr(field, tab - field));
            if (tab == std::wstring::npos) break;
            field = tab + 1;
        }
        rows.push_back(std::move(fields));
        start = end + 1;
    }
    return rows;
}

}  // namespace trovelle::test
