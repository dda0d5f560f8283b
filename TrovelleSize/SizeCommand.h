// TrovelleSize's whole run, from its arguments to its exit code.
#pragma once

#include <string_view>
#include <vector>

#include "ConsoleStream.h"

namespace trovelle::sizes {

// The exit codes, as the usage text lists them.
enum ExitCode : int {
    kAllAnswered = 0,
    kOutputFailed = 1,
    kUsageError = 2,
    kFolderProblem = 3,
};

// Needs COM on the calling thread unless the arguments ask for no cache.
int RunSizeCommand(const std::vector<std::u16string_view>& arguments, ConsoleStream& out,
                   ConsoleStream& errors);

}  // namespace trovelle::sizes
