// Build tool: writes the WiX fragment that installs the COM deliverables with their registry
// entries, made from the very tables their own registration uses and from their type libraries.
//   trovelle-wix-registry --out FILE.wxs --directory ID --group ID --folder EXPRESSION
//                         --files DIR --typelib NAME=FILE.tlb ...
// FOLDER is the installer's expression for the installation folder (no trailing separator),
// DIR holds the files to package, and each deliverable names the type library it carries.
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>

#include "CacheRegistrationTable.h"
#include "TrovexRegistrationTable.h"
#include "TrovexBarRegistrationTable.h"
#include "WixFragment.h"

namespace {

using namespace trovelle;
using namespace trovelle::installer;

struct KnownModule {
    const wchar_t* fileName;
    ModuleRegistration (*registration)(const std::wstring& modulePath);
};
const KnownModule kModules[] = {
    {L"TrovexCache.exe", CacheServerRegistration},
    {L"Trovex.dll", TrovexRegistration},
    {L"TrovexBar.dll", TrovexBarRegistration},
};

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    const size_t length = std::mbstowcs(wide.data(), text.c_str(), wide.size());
    wide.resize(length == static_cast<size_t>(-1) ? 0 : length);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    std::string narrow(text.size() * 4 + 1, '\0');
    const size_t length = std::wcstombs(narrow.data(), text.c_str(), narrow.size());
    narrow.resize(length == static_cast<size_t>(-1) ? 0 : length);
    return narrow;
}

struct Options {
    std::string out;
    std::wstring directory, group, folder, files;
    std::map<std::wstring, std::string> typeLibs;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i], value = argv[i + 1];
        if (name == "--out") {
            options.out = value;
        } else if (name == "--directory") {
            options.directory = Wide(value);
        } else if (name == "--group") {
            options.group = Wide(value);
        } else if (name == "--folder") {
            options.folder = Wide(value);
        } else if (name == "--files") {
            options.files = Wide(value);
        } else if (name == "--typelib" && value.find('=') != std::string::npos) {
            const size_t equals = value.find('=');
            options.typeLibs[Wide(value.substr(0, equals))] = value.substr(equals + 1);
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !options.out.empty() && !options.directory.empty() &&
           !options.group.empty() && !options.folder.empty() && !options.files.empty();
}

std::optional<TypeLibInfo> LoadTypeLib(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    std::string error = "cannot be read";
    auto library = in || in.eof() ? ReadTypeLib(bytes, error) : std::nullopt;
    if (!library) std::cerr << path << ": " << error << "\n";
    return library;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C.UTF-8");
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::cerr << "usage: trovelle-wix-registry --out FILE.wxs --directory ID --group ID "
                     "--folder EXPRESSION --files DIR --typelib NAME=FILE.tlb ...\n";
        return 2;
    }
    std::vector<DeliverableFile> files;
    for (const KnownModule& module : kModules) {
        const auto typeLib = options.typeLibs.find(module.fileName);
        if (typeLib == options.typeLibs.end()) {
            std::cerr << "no type library given for " << Narrow(module.fileName) << "\n";
            return 2;
        }
        const auto library = LoadTypeLib(typeLib->second);
        if (!library) return 1;
        // The installer's expression for the installed file's full path.
        const std::wstring path = std::wstring(L"[#") + module.fileName + L"]";
        DeliverableFile file{module.fileName, options.files + L"/" + module.fileName,
                             ModuleRows(module.registration(path))};
        for (PackageRow& row : TypeLibRows(*library, path, options.folder)) {
            file.rows.push_back(std::move(row));
        }
        files.push_back(std::move(file));
    }
    std::ofstream out(options.out, std::ios::binary);
    out << WixFragment(files, options.directory, options.group);
    if (!out.flush()) {
        std::cerr << options.out << ": cannot be written\n";
        return 1;
    }
    return 0;
}
