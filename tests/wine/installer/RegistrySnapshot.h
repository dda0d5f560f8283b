// The machine's and the user's software registry as a set of lines, one per value and one per
// key that has neither values nor subkeys, so that two moments can be compared entry by entry.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace trovelle::test {

// "HKLM\Software\Classes\CLSID\{...}\InprocServer32|ThreadingModel=Apartment" for a value
// ("|=" for a default value, "|" alone for an empty leaf key).
using RegistrySnapshot = std::set<std::wstring>;

// HKLM\Software (which holds HKCR and the 32-bit view) and HKCU\Software.
RegistrySnapshot TakeRegistrySnapshot();

// Lines of `after` missing from `before`.
std::vector<std::wstring> Added(const RegistrySnapshot& before, const RegistrySnapshot& after);

// Lines that do not start with any of `prefixes` (compared without regard to case).
std::vector<std::wstring> Without(const std::vector<std::wstring>& lines,
                                  const std::vector<std::wstring>& prefixes);

}  // namespace trovelle::test
