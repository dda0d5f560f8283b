// The settings program installed in a folder whose path nearly fills MAX_PATH.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "PropertiesDriver.h"
#include "TestFiles.h"
#include "res/resource.h"

namespace trovelle::test {
namespace {

constexpr wchar_t kDeepRoot[] = L"C:\\deep";

// Makes a folder below C:\deep whose path is exactly `length` characters long.
std::wstring MakeFolderOfLength(size_t length) {
    std::wstring folder = kDeepRoot;
    ::CreateDirectoryW(folder.c_str(), nullptr);
    while (folder.size() < length) {
        const size_t room = length - folder.size() - 1;  // one for the backslash
        folder += L'\\' + std::wstring(room > 60 ? 60 : room, L'd');
        ::CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr);
    }
    return folder;
}

std::wstring CopyProgramInto(const std::wstring& folder) {
    const std::wstring program = folder + L"\\TrovexProperties.exe";
    EXPECT_TRUE(::CopyFileW(InstalledProgram().c_str(), (L"\\\\?\\" + program).c_str(), FALSE));
    return program;
}

class DeepFolder : public WithoutStoredSettings {
protected:
    void TearDown() override {
        WithoutStoredSettings::TearDown();
        RemoveTree(std::wstring(L"\\\\?\\") + kDeepRoot);
    }
};

TEST_F(DeepFolder, APathThatJustFitsIsStoredWholeAndTooLongHelpIsLeftAlone) {
    const std::wstring folder = MakeFolderOfLength(MAX_PATH - 22);  // program path: 259
    PropertiesProgram program(CopyProgramInto(folder));
    ASSERT_NE(program.Dialog(), nullptr);
    // The help topic's path would not fit MAX_PATH: F1 does nothing, the dialog goes on.
    PressKeyIn(program.Dialog(), VK_F1);
    EXPECT_EQ(WaitForWindow(program.ProcessId(), L"HH Parent", nullptr, 1500), nullptr);
    program.Click(IDC_START_WITH_WINDOWS);
    program.Click(IDOK);
    EXPECT_EQ(program.WaitForExit(), 1);
    const auto run = ReadRunEntry();
    ASSERT_TRUE(run);
    EXPECT_EQ(AsText(*run), folder + L"\\TrovexCache.exe" + L'\0');
}

// A program path beyond MAX_PATH cannot be started under Wine (CreateProcessW fails with
// ERROR_FILE_NOT_FOUND even in the long-path form); BesidePath's refusal is tested in-process.

}  // namespace
}  // namespace trovelle::test
