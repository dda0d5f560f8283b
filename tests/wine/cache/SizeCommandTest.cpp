// TrovelleSize.exe as a script runs it: its output read from files, its exit code.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "CacheExpectations.h"
#include "ChildProcess.h"
#include "TestFiles.h"
#include "UniqueHandle.h"
#include "WideText.h"

namespace trovelle {
namespace {

using test::ProgramOutput;

const wchar_t kProgram[] = L"C:\\Program Files\\Trovelle Pro\\TrovelleSize.exe";

ProgramOutput RunSize(const std::wstring& arguments) { return test::RunForOutput(kProgram, arguments, 120000); }

// The text a report prints for a folder's sizes in JSON.
std::string JsonSizes(const std::string& shownPath, const ByteTotals& totals, const std::string& indent) {
    return "\"path\": \"" + shownPath + "\",\r\n" + indent + "\"size\": " + std::to_string(totals.bytes) + ",\r\n" +
           indent + "\"sizeOnDisk\": " + std::to_string(totals.onDisk);
}

class SizeCommand : public test::ServerTestSuite {};

TEST_F(SizeCommand, JsonGivesExactSizesAndSizesOnDiskFromTheCacheAndFromItsOwnSum) {
    const ProgramOutput cached = RunSize(L"--json --depth 1 D:\\OnDisk");
    EXPECT_EQ(cached.exitCode, 0u) << cached.errors;
    EXPECT_EQ(cached.errors, "");
    EXPECT_EQ(cached.out.rfind("{\r\n  " + JsonSizes("D:\\\\OnDisk", test::OnDiskFixtureSizes(), "  "), 0), 0u)
        << cached.out;
    EXPECT_NE(cached.out.find(JsonSizes("D:\\\\OnDisk\\\\Dense", test::DenseFixtureSizes(), "      ")),
              std::string::npos)
        << cached.out;

    const ProgramOutput summed = RunSize(L"--no-cache --json --depth=1 D:\\OnDisk");
    EXPECT_EQ(summed.exitCode, 0u) << summed.errors;
    EXPECT_EQ(summed.out, cached.out);
}

TEST_F(SizeCommand, OddNamesAndLongPathsArePrintedAndAMissingFolderExitsWithThree) {
    const std::wstring root = L"D:\\SizeCommand";
    test::RemoveTree(root);
    ::CreateDirectoryW(root.c_str(), nullptr);
    const std::wstring odd = root + L"\\\u00C4rger \U0001F600, \u202Eright";
    ASSERT_TRUE(::CreateDirectoryW(odd.c_str(), nullptr));
    test::WriteFileOfSize(odd + L"\\f", 5000);
    std::wstring deep = L"\\\\?\\" + root;
    for (int level = 0; level < 6; ++level) {
        deep += L"\\" + std::wstring(50, static_cast<wchar_t>(L'a' + level));
        ASSERT_TRUE(::CreateDirectoryW(deep.c_str(), nullptr));
    }
    test::WriteFileOfSize(deep + L"\\g", 777);

    const ProgramOutput output = RunSize(L"--csv --depth 6 --top 1 D:\\SizeCommand D:\\NoSuchFolder");
    EXPECT_EQ(output.exitCode, 3u);
    EXPECT_NE(output.errors.find("TrovelleSize: D:\\NoSuchFolder: "), std::string::npos) << output.errors;
    EXPECT_EQ(output.out.rfind("path,size,sizeOnDisk,share\r\nD:\\SizeCommand,5777,", 0), 0u) << output.out;
    // The largest subfolder alone, in UTF-8 and quoted; then the chain below the other was left
    // out by --top.
    EXPECT_NE(output.out.find("\r\n\"D:\\SizeCommand\\\xC3\x84rger \xF0\x9F\x98\x80, \xE2\x80\xAEright\",5000,"),
              std::string::npos)
        << output.out;
    EXPECT_EQ(output.out.find("aaaaa"), std::string::npos);

    const ProgramOutput chain = RunSize(L"--csv --depth 6 --sort disk --bytes D:\\SizeCommand\\" + std::wstring(50, L'a'));
    EXPECT_EQ(chain.exitCode, 0u) << chain.errors;
    EXPECT_NE(chain.out.find(ToUtf8(deep.substr(4)) + ",777,"), std::string::npos) << chain.out;
    test::RemoveTree(root);
}

TEST_F(SizeCommand, UsageErrorsExitWithTwoAndAClosedPipeWithOne) {
    const ProgramOutput usage = RunSize(L"--depth x D:\\OnDisk");
    EXPECT_EQ(usage.exitCode, 2u);
    EXPECT_EQ(usage.out, "");
    EXPECT_NE(usage.errors.find("TrovelleSize: --depth takes a number from 0 to 1000, not 'x'"), std::string::npos);
    EXPECT_NE(usage.errors.find("Usage: TrovelleSize [options] [FOLDER...]"), std::string::npos);

    const ProgramOutput help = RunSize(L"--help");
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_NE(help.out.find("--no-cache"), std::string::npos) << help.out;

    // A reader that went away before anything was written.
    UniqueKernelHandle reader, writer;
    SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
    ASSERT_TRUE(::CreatePipe(reader.Put(), writer.Put(), &inherited, 0));
    reader.Reset();
    const ProgramOutput closed = test::RunForOutput(kProgram, L"--no-cache --json D:\\OnDisk", 60000, writer.Get());
    EXPECT_EQ(closed.exitCode, 1u);
    EXPECT_NE(closed.errors.find("TrovelleSize: the output could not be written: "), std::string::npos)
        << closed.errors;
}

}  // namespace
}  // namespace trovelle
