// TrovelleSize.exe: folder sizes and sizes on disk on the command line, from Trovelle Pro's
// cache.
#include <windows.h>

#include <string_view>
#include <vector>

#include "ComApartment.h"
#include "SizeCommand.h"
#include "WideText.h"

int wmain(int argc, wchar_t** argv) {
    using namespace trovelle;
    const ComApartment apartment;
    std::vector<std::u16string_view> arguments;
    for (int at = 1; at < argc; ++at) arguments.push_back(AsCore(argv[at]));
    sizes::ConsoleStream out(STD_OUTPUT_HANDLE);
    sizes::ConsoleStream errors(STD_ERROR_HANDLE);
    return sizes::RunSizeCommand(arguments, out, errors);
}
