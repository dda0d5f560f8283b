#include <gtest/gtest.h>

#include "FakeFileSystem.h"
#include "report/ReportFormats.h"
#include "report/ReportGathering.h"
#include "report/ReportOptions.h"

namespace trovelle {
namespace {

ParsedReportOptions Parse(std::initializer_list<const char16_t*> arguments) {
    std::vector<std::u16string_view> views(arguments.begin(), arguments.end());
    return ParseReportOptions(views);
}

TEST(ReportOptions, ReadsEveryOptionInBothForms) {
    const ParsedReportOptions parsed = Parse({u"--depth", u"3", u"--top=5", u"--sort", u"disk", u"--json",
                                              u"--bytes", u"--no-cache", u"C:\\a b", u"--", u"--odd"});
    ASSERT_TRUE(parsed.ok()) << std::string(parsed.error.begin(), parsed.error.end());
    const ReportOptions& options = parsed.options;
    EXPECT_EQ(options.depth, 3u);
    EXPECT_EQ(options.top, 5u);
    EXPECT_EQ(options.order, ReportOrder::BySizeOnDisk);
    EXPECT_EQ(options.format, ReportFormat::Json);
    EXPECT_TRUE(options.exactBytes && options.noCache && !options.help);
    EXPECT_EQ(options.folders, (std::vector<std::u16string>{u"C:\\a b", u"--odd"}));

    const ReportOptions defaults = Parse({}).options;
    EXPECT_EQ(defaults.depth, 1u);
    EXPECT_EQ(defaults.top, 0u);
    EXPECT_EQ(defaults.format, ReportFormat::Text);
    EXPECT_TRUE(defaults.folders.empty());
    EXPECT_TRUE(Parse({u"/?"}).options.help);
    EXPECT_EQ(Parse({u"--depth=0", u"--depth=1000"}).options.depth, 1000u);
}

TEST(ReportOptions, RefusesBadInputWithAReason) {
    const std::vector<std::vector<const char16_t*>> bad = {
        {u"--fast"},           {u"-x"},
        {u"--depth", u"x"},    {u"--depth", u"-1"},
        {u"--depth", u"1001"}, {u"--depth=99999999999999999999999"},
        {u"--depth", u"1.5"},  {u"--depth"},
        {u"--top", u"0"},      {u"--top="},
        {u"--sort", u"name"},  {u"--json", u"--csv"},
        {u"--bytes=1"},        {u""},
    };
    for (const auto& arguments : bad) {
        const std::vector<std::u16string_view> views(arguments.begin(), arguments.end());
        const ParsedReportOptions parsed = ParseReportOptions(views);
        EXPECT_FALSE(parsed.ok()) << "accepted: " << std::string(arguments[0], arguments[0] + 3);
    }
    EXPECT_EQ(Parse({u"--depth", u"x"}).error, u"--depth takes a number from 0 to 1000, not 'x'");
    EXPECT_EQ(Parse({u"--fast", u"C:\\"}).error, u"unknown option '--fast'");
}

class ReportGatheringTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs.AddFile(u"C:\\R\\own.txt", 10);
        fs.AddFile(u"C:\\R\\Small\\a", 100);
        fs.AddFile(u"C:\\R\\Big\\b", 5000);
        fs.AddFile(u"C:\\R\\Big\\Inner\\c", 40000);
        fs.AddFile(u"C:\\R\\Big\\Other\\d", 7);
        // Holds the most but takes the least: a sparse file.
        fs.AddFile(u"C:\\R\\Sparse\\s", 1000000, 4096);
        fs.AddFolder(u"C:\\R\\Empty");
    }

    Report Gather(unsigned depth, ReportOrder order = ReportOrder::BySize, size_t top = 0,
                  std::vector<Path> folders = {u"C:\\R"}) {
        SummingSource source(fs);
        return GatherReport(source, fs, {std::move(folders), depth, order, top});
    }

    static std::vector<Path> PathsOf(const std::vector<ReportFolder>& folders) {
        std::vector<Path> paths;
        for (const ReportFolder& folder : folders) paths.push_back(folder.path);
        return paths;
    }

    testing::FakeFileSystem fs;
};

TEST_F(ReportGatheringTest, TotalsMatchTheFilesLargestFirstToTheDepthAsked) {
    const Report report = Gather(1);
    ASSERT_EQ(report.folders.size(), 1u);
    EXPECT_TRUE(report.problems.empty());
    const ReportFolder& root = report.folders[0];
    EXPECT_EQ(root.totals, fs.Total(u"C:\\R"));
    EXPECT_TRUE(root.expanded);
    EXPECT_EQ(PathsOf(root.children), (std::vector<Path>{u"C:\\R\\Sparse", u"C:\\R\\Big", u"C:\\R\\Small",
                                                         u"C:\\R\\Empty"}));
    for (const ReportFolder& child : root.children) {
        EXPECT_EQ(child.totals, fs.Total(child.path));
        EXPECT_FALSE(child.expanded);
    }

    const Report byDisk = Gather(2, ReportOrder::BySizeOnDisk, 1);
    const ReportFolder& largest = byDisk.folders[0].children.at(0);
    EXPECT_EQ(byDisk.folders[0].children.size(), 1u);
    EXPECT_EQ(largest.path, u"C:\\R\\Big");
    EXPECT_TRUE(largest.expanded);
    EXPECT_EQ(PathsOf(largest.children), (std::vector<Path>{u"C:\\R\\Big\\Inner"}));
    EXPECT_EQ(largest.children[0].totals, fs.Total(u"C:\\R\\Big\\Inner"));

    const Report alone = Gather(0);
    EXPECT_FALSE(alone.folders.at(0).expanded);
    EXPECT_EQ(alone.folders[0].totals, fs.Total(u"C:\\R"));
}

TEST_F(ReportGatheringTest, MissingUnreadableAndVanishingFoldersAreProblemsNotZeros) {
    fs.SetUnlistable(u"C:\\R\\Big", true);
    const Report report = Gather(2, ReportOrder::BySize, 0, {u"C:\\Missing", u"C:\\R\\Big", u"C:\\R"});
    ASSERT_EQ(PathsOf(report.folders), (std::vector<Path>{u"C:\\R"}));
    std::vector<Path> problems;
    for (const ReportProblem& problem : report.problems) problems.push_back(problem.path);
    // The unreadable subfolder is reported once asked for and once when its level is listed.
    EXPECT_EQ(problems, (std::vector<Path>{u"C:\\Missing", u"C:\\R\\Big", u"C:\\R\\Big"}));
    fs.SetUnlistable(u"C:\\R\\Big", false);

    // A subfolder removed between the listing of its parent and the measurement.
    fs.OnNextListing(u"C:\\R", [this] { fs.Remove(u"C:\\R\\Small"); });
    const Report vanished = Gather(1);
    ASSERT_EQ(vanished.problems.size(), 1u);
    EXPECT_EQ(vanished.problems[0].path, u"C:\\R\\Small");
    EXPECT_EQ(PathsOf(vanished.folders[0].children),
              (std::vector<Path>{u"C:\\R\\Sparse", u"C:\\R\\Big", u"C:\\R\\Empty"}));
}

ReportFolder Folder(Path path, uint64_t bytes, uint64_t onDisk, std::vector<ReportFolder> children = {},
                    bool expanded = false) {
    return {std::move(path), {bytes, onDisk}, expanded || !children.empty(), std::move(children)};
}

TEST(ReportFormats, JsonIsExactEscapedAndNestsOnlyListedFolders) {
    const std::u16string odd = u"q\"b\\c\x01" + std::u16string{0xD800} + u"\U0001F600";
    const std::vector<ReportFolder> folders = {
        Folder(u"c:", 9007199254740993u, 18446744073709551615u,
               {Folder(u"c:\\" + odd, 3, 4096), Folder(u"c:\\Empty", 0, 0, {}, true)})};
    EXPECT_EQ(ReportJson(folders, false),
              "{\r\n"
              "  \"path\": \"c:\\\\\",\r\n"
              "  \"size\": 9007199254740993,\r\n"
              "  \"sizeOnDisk\": 18446744073709551615,\r\n"
              "  \"children\": [\r\n"
              "    {\r\n"
              "      \"path\": \"c:\\\\q\\\"b\\\\c\\u0001\\ud800\xF0\x9F\x98\x80\",\r\n"
              "      \"size\": 3,\r\n"
              "      \"sizeOnDisk\": 4096\r\n"
              "    },\r\n"
              "    {\r\n"
              "      \"path\": \"c:\\\\Empty\",\r\n"
              "      \"size\": 0,\r\n"
              "      \"sizeOnDisk\": 0,\r\n"
              "      \"children\": []\r\n"
              "    }\r\n"
              "  ]\r\n"
              "}\r\n");
    EXPECT_EQ(ReportJson({Folder(u"D:\\x", 1, 2), Folder(u"E:\\y", 3, 4)}, true),
              "[\r\n  {\r\n    \"path\": \"D:\\\\x\",\r\n    \"size\": 1,\r\n    \"sizeOnDisk\": 2\r\n  },"
              "\r\n  {\r\n    \"path\": \"E:\\\\y\",\r\n    \"size\": 3,\r\n    \"sizeOnDisk\": 4\r\n  }\r\n]\r\n");
    EXPECT_EQ(ReportJson({}, true), "[]\r\n");
    EXPECT_EQ(ReportJson({}, false), "");
}

TEST(ReportFormats, CsvAndTextShareByTheOrdersValue) {
    const std::vector<ReportFolder> folders = {
        Folder(u"C:\\Data", 3000, 300, {Folder(u"C:\\Data\\a,b", 2000, 100), Folder(u"C:\\Data\\c", 1000, 200)})};
    EXPECT_EQ(ReportCsv(folders, ReportOrder::BySize),
              "path,size,sizeOnDisk,share\r\n"
              "C:\\Data,3000,300,100.0\r\n"
              "\"C:\\Data\\a,b\",2000,100,66.7\r\n"
              "C:\\Data\\c,1000,200,33.3\r\n");
    EXPECT_NE(ReportCsv(folders, ReportOrder::BySizeOnDisk).find("C:\\Data\\c,1000,200,66.7\r\n"), std::string::npos);

    const SizeTextSettings exact{0, 0, 0};
    EXPECT_EQ(ReportText(folders, ReportOrder::BySize, exact),
              "Size  On disk  Share                          Folder\r\n"
              "3000      300  [####################] 100.0%  C:\\Data\r\n"
              "2000      100  [#############       ]  66.7%    a,b\r\n"
              "1000      200  [######              ]  33.3%    c\r\n");
    const std::string inKb = ReportText(folders, ReportOrder::BySize, SizeTextSettings{1, 1, u' '});
    EXPECT_NE(inKb.find("2.9 KB   0.3 KB  ["), std::string::npos) << inKb;

    EXPECT_EQ(ShareInTenths(UINT64_MAX, UINT64_MAX), 1000u);
    EXPECT_EQ(ShareInTenths(UINT64_MAX / 2, UINT64_MAX), 500u);
    EXPECT_EQ(ShareInTenths(1, 0), 0u);
    EXPECT_EQ(ShownPath(u"x:"), u"x:\\");
}

}  // namespace
}  // namespace trovelle
