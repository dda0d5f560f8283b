// What the package tests do to the prefix: run msiexec, ask Windows Installer about the product,
// and register the deliverables the way their own registration does, for comparison.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace trovelle::test {

// Where the test run put the packages, the loose deliverables and the host (see run-tests.sh).
std::wstring StagedFile(const std::wstring& name);
std::wstring InstallFolder();
constexpr wchar_t kUpgradeCode[] = L"{A1C7E41E-6F90-4325-88C5-CD3EF2C6D694}";

// msiexec with `arguments` (quiet, with a verbose log in the staging folder), waited for at most
// `timeoutMs`; its exit code, or 0xFFFFFFFF after a timeout (the process is then ended).
DWORD RunMsiexec(const std::wstring& arguments, DWORD timeoutMs = 120000);

struct InstalledProduct {
    std::wstring productCode;
    std::wstring version;
};
// Every installed product of the package's upgrade code.
std::vector<InstalledProduct> InstalledProducts();

// Copies the deliverables into the installation folder and runs their own registration
// (/RegServer, DllRegisterServer); the reverse removes the registration and the files. Both
// return the first failure, as an HRESULT.
HRESULT SelfRegisterLooseCopies();
HRESULT SelfUnregisterLooseCopies();

// The settings key of the current user, as the deliverables use it.
constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Karvane\\Trovelle Pro\\Settings";

}  // namespace trovelle::test
