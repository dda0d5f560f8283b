// The Details-view host listing folders through the registered handler, as Explorer did.
#include "ColumnFixture.h"

#include <map>

namespace trovelle::test {
namespace {

class DetailsHost : public ColumnFixture {
protected:
    // Rows of the host's --tsv output keyed by item name.
    std::map<std::wstring, std::vector<std::wstring>> List(const std::wstring& folder) {
        const HostRun run = RunHost(L"--tsv \"" + folder + L"\"");
        EXPECT_EQ(run.exitCode, 0u) << ::testing::PrintToString(run.output);
        auto rows = ParseTable(run.output);
        std::map<std::wstring, std::vector<std::wstring>> byName;
        if (rows.empty()) return byName;
        titles_ = rows[0];
        for (size_t i = 1; i < rows.size(); ++i) byName[rows[i][0]] = rows[i];
        return byName;
    }
    // The column of the Trovex title `title` in the host's table.
    size_t Column(const std::wstring& title) const {
        for (size_t i = 0; i < titles_.size(); ++i) if (titles_[i] == title) return i;
        ADD_FAILURE() << "no column titled " << ::testing::PrintToString(title);
        return 0;
    }
    std::vector<std::wstring> titles_;
};

TEST_F(DetailsHost, ListsAFolderWithTheThreeColumns) {
    StoreInteger(L"EnableCache", 0);
    auto rows = List(kRoot);
    ASSERT_EQ(rows.size(), 7u);  // Empty, Pct, Tree, Zero, big.bin, half.bin, zero.txt
    const size_t size = Column(L"SizeEx"), sort = Column(L"SizeEx sort column"),
                 percent = Column(L"SizeEx %");
    EXPECT_EQ(rows[L"zero.txt"][size], L"=0 KB");
    EXPECT_EQ(rows[L"half.bin"][size], L"=2 KB");
    EXPECT_EQ(rows[L"half.bin"][sort], L"=1536");
    EXPECT_EQ(rows[L"Tree"][sort], L"=" + std::to_wstring(kTreeTotal));
    EXPECT_EQ(rows[L"Empty"][percent], L"= 0.00 %");
    // big.bin is 1234567 of the 1240603 bytes below the root: 49 full 2 % steps, 99.51 %.
    EXPECT_EQ(rows[L"big.bin"][percent], L"=" + std::wstring(49, L'\u2022') + L" 99.51 %");
}

TEST_F(DetailsHost, TitlesViewStylesAndTheRemovableDrive) {
    StoreText(L"ColumnTitle", L"Size");
    StoreInteger(L"EnableCache", 0);
    StoreInteger(L"ViewStyle", 1);
    auto rows = List(std::wstring(kRemovableRoot) + L"\\Tree");
    ASSERT_EQ(rows.size(), 3u);  // Sub, a.bin, hidden.bin (hidden files are listed too)
    EXPECT_EQ(rows[L"Sub"][Column(L"Size")], L"-");
    EXPECT_EQ(rows[L"Sub"][Column(L"Size %")], L"-");
    EXPECT_EQ(rows[L"hidden.bin"][Column(L"Size sort column")], L"=500");
    StoreInteger(L"ViewStyle", 3);
    rows = List(std::wstring(kRemovableRoot) + L"\\Tree");
    for (const auto& [name, row] : rows) {
        for (size_t c = 1; c < row.size(); ++c) EXPECT_EQ(row[c], L"-") << name;
    }
}

TEST_F(DetailsHost, ItemsAskedByPathIncludingAVanishedFile) {
    const HostRun run = RunHost(L"--tsv --item \"" + At(L"\\gone.txt") + L"\"");
    auto rows = ParseTable(run.output);
    ASSERT_GE(rows.size(), 2u);
    titles_ = rows[0];
    EXPECT_EQ(rows[1][Column(L"SizeEx")], L"=Error code: 0x2");
    EXPECT_EQ(rows[1][Column(L"SizeEx sort column")], L"=Error code: 0x2");
    EXPECT_EQ(rows[1][Column(L"SizeEx %")], L"-");
}

}  // namespace
}  // namespace trovelle::test
