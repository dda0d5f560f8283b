#include "PackageSession.h"

#include <msi.h>
#include <shlobj.h>

#include "ChildProcess.h"
#include "UniqueHandle.h"

namespace trovelle::test {
namespace {

constexpr const wchar_t* kDlls[] = {L"Trovex.dll", L"TrovexBar.dll"};
constexpr const wchar_t* kLooseFiles[] = {L"TrovexCache.exe", L"Trovex.dll", L"TrovexBar.dll",
                                          L"TrovexProperties.exe", L"TrovellePro.chm"};

std::wstring SystemProgram(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    ::GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

using RegistrationEntry = HRESULT(STDAPICALLTYPE*)();

HRESULT CallDllEntry(const std::wstring& path, const char* entry) {
    const HMODULE module = ::LoadLibraryW(path.c_str());
    if (module == nullptr) return HRESULT_FROM_WIN32(::GetLastError());
    const auto function = reinterpret_cast<RegistrationEntry>(
        reinterpret_cast<void*>(::GetProcAddress(module, entry)));
    const HRESULT hr = function != nullptr ? function() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    ::FreeLibrary(module);
    return hr;
}

HRESULT RunServerSwitch(const wchar_t* flag) {
    const ChildProcess server = StartChild(InstallFolder() + L"\\TrovexCache.exe", flag);
    if (!server.process) return HRESULT_FROM_WIN32(::GetLastError());
    return static_cast<HRESULT>(WaitForExitCode(server.process.Get(), 30000));
}

}  // namespace

std::wstring StagedFile(const std::wstring& name) {
    return BesideThisProgram(name.c_str());
}

std::wstring InstallFolder() {
    wchar_t programFiles[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programFiles);
    return std::wstring(programFiles) + L"\\Trovelle Pro";
}

DWORD RunMsiexec(const std::wstring& arguments, DWORD timeoutMs) {
    const std::wstring log = StagedFile(L"msiexec.log");
    ChildProcess msiexec = StartChild(SystemProgram(L"msiexec.exe"),
                                      arguments + L" /qn /l*v \"" + log + L"\"");
    if (!msiexec.process) return 0xFFFFFFFF;
    const DWORD code = WaitForExitCode(msiexec.process.Get(), timeoutMs);
    if (code == 0xFFFFFFFF) ::TerminateProcess(msiexec.process.Get(), 1);
    return code;
}

std::vector<InstalledProduct> InstalledProducts() {
    std::vector<InstalledProduct> products;
    wchar_t code[39] = {};
    for (DWORD index = 0; ::MsiEnumRelatedProductsW(kUpgradeCode, 0, index, code) == ERROR_SUCCESS;
         ++index) {
        wchar_t version[64] = {};
        DWORD length = 64;
        ::MsiGetProductInfoW(code, INSTALLPROPERTY_VERSIONSTRING, version, &length);
        products.push_back({code, version});
    }
    return products;
}

HRESULT SelfRegisterLooseCopies() {
    ::CreateDirectoryW(InstallFolder().c_str(), nullptr);
    for (const wchar_t* file : kLooseFiles) {
        if (!::CopyFileW(StagedFile(std::wstring(L"files\\") + file).c_str(),
                         (InstallFolder() + L"\\" + file).c_str(), FALSE)) {
            return HRESULT_FROM_WIN32(::GetLastError());
        }
    }
    HRESULT hr = RunServerSwitch(L"/RegServer");
    for (const wchar_t* dll : kDlls) {
        if (SUCCEEDED(hr)) hr = CallDllEntry(InstallFolder() + L"\\" + dll, "DllRegisterServer");
    }
    return hr;
}

HRESULT SelfUnregisterLooseCopies() {
    HRESULT result = RunServerSwitch(L"/UnregServer");
    for (const wchar_t* dll : kDlls) {
        const HRESULT hr = CallDllEntry(InstallFolder() + L"\\" + dll, "DllUnregisterServer");
        if (SUCCEEDED(result)) result = hr;
    }
    for (const wchar_t* file : kLooseFiles) {
        if (!::DeleteFileW((InstallFolder() + L"\\" + file).c_str()) && SUCCEEDED(result)) {
            result = HRESULT_FROM_WIN32(::GetLastError());
        }
    }
    if (!::RemoveDirectoryW(InstallFolder().c_str()) && SUCCEEDED(result)) {
        result = HRESULT_FROM_WIN32(::GetLastError());
    }
    return result;
}

}  // namespace trovelle::test
