// The Recycle Bin as the shell shows it, for tests of what is sent there.
#pragma once

#include <string>
#include <vector>

namespace trovelle::test {

// The names the shell shows in its Recycle Bin folder.
std::vector<std::wstring> RecycleBinNames();
bool InRecycleBin(const std::wstring& name);

// Wine keeps its Recycle Bin in the home's XDG trash and recycles nothing (it deletes) unless
// that trash's folders are there; makes them in a prefix made before the scripts did.
void MakeWineTrash();

}  // namespace trovelle::test
