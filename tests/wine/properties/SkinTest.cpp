// The dialog skin's colour table: which entry answers which control, and who frees what.
#include <windows.h>

#include <gtest/gtest.h>

#include "CtlColorHandler.h"
#include "UniqueHandle.h"

namespace trovelle::ui {
namespace {

constexpr int kLabel = 10;
constexpr int kOtherLabel = 11;
constexpr int kCombo = 12;
constexpr int kEdit = 13;
constexpr int kMissing = 99;
constexpr COLORREF kBlue = 0x00D6A68A;
constexpr COLORREF kRed = 0x000000FF;
constexpr COLORREF kGreen = 0x0000FF00;

using WindowTraits = NullHandleTraits<HWND, &::DestroyWindow>;

class Skin : public ::testing::Test {
protected:
    void SetUp() override {
        parent_.Reset(::CreateWindowExW(0, L"STATIC", L"skin", WS_POPUP, 0, 0, 300, 200, nullptr,
                                        nullptr, nullptr, nullptr));
        ASSERT_TRUE(parent_);
        Child(L"STATIC", kLabel, 0);
        Child(L"STATIC", kOtherLabel, 0);
        Child(L"COMBOBOX", kCombo, CBS_DROPDOWN);
        Child(L"EDIT", kEdit, 0);
        dc_ = ::CreateCompatibleDC(nullptr);
    }
    void TearDown() override { ::DeleteDC(dc_); }

    void Child(const wchar_t* className, int id, DWORD style) {
        ::CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 30 * id, 100, 20,
                          parent_.Get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                          nullptr);
    }
    HWND Item(int id) const { return ::GetDlgItem(parent_.Get(), id); }
    static HFONT NewFont() {
        LOGFONTW description{};
        description.lfHeight = -12;
        description.lfWeight = FW_BOLD;
        return ::CreateFontIndirectW(&description);
    }
    static bool Alive(HGDIOBJ object) { return ::GetObjectType(object) != 0; }

    UniqueHandle<WindowTraits> parent_;
    HDC dc_ = nullptr;
};

TEST_F(Skin, TheDefaultEntryAnswersUntilAGroupIsAdded) {
    CtlColorTable table(0xFFFFFFFF);
    EXPECT_TRUE(table.DefaultOnly());
    EXPECT_EQ(table.HandleCtlColor(WM_CTLCOLORSTATIC, dc_, Item(kLabel)),
              ::GetSysColorBrush(COLOR_WINDOW));
    EXPECT_EQ(::GetTextColor(dc_), ::GetSysColor(COLOR_WINDOWTEXT));

    ASSERT_EQ(table.ModifyEntry(kChangeText | kChangeBackground, 0, kRed, kBlue, nullptr, 0), 0u);
    const HBRUSH standard = table.HandleCtlColor(WM_CTLCOLORSTATIC, dc_, Item(kLabel));
    EXPECT_NE(standard, ::GetSysColorBrush(COLOR_WINDOW));
    EXPECT_EQ(::GetTextColor(dc_), kRed);
    EXPECT_EQ(::GetBkColor(dc_), kBlue);
    EXPECT_EQ(table.ModifyEntry(kChangeText, 1, kGreen, 0, nullptr, 0), kErrorBadEntryIndex);
    EXPECT_EQ(table.Entry(0).textColor, kRed) << "a bad index changes nothing";

    const int ids[] = {kLabel};
    ASSERT_EQ(table.AddControlGroup(parent_.Get(), ids, 1, kGreen, kBlue, nullptr, 0), 0u);
    EXPECT_FALSE(table.DefaultOnly());
    EXPECT_NE(table.HandleCtlColor(WM_CTLCOLORSTATIC, dc_, Item(kLabel)), standard);
    EXPECT_EQ(::GetTextColor(dc_), kGreen);
    EXPECT_EQ(table.HandleCtlColor(WM_CTLCOLORSTATIC, dc_, Item(kOtherLabel)), standard);
    EXPECT_EQ(table.HandleCtlColor(WM_CTLCOLORSTATIC, dc_, nullptr), standard);
}

TEST_F(Skin, GroupsListComboPartsAndTheEarlierGroupWins) {
    CtlColorTable table(0xFFFFFFFF);
    const HFONT bold = NewFont();
    const int first[] = {kCombo, kMissing};
    const int second[] = {kCombo, kLabel};
    ASSERT_EQ(table.AddControlGroup(parent_.Get(), first, 2, kRed, kBlue, bold, 0xFFFFFFFF), 0u);
    ASSERT_EQ(table.AddControlGroup(parent_.Get(), second, 2, kGreen, kBlue, nullptr, 0), 0u);

    COMBOBOXINFO combo{};
    combo.cbSize = sizeof(combo);
    ASSERT_TRUE(::GetComboBoxInfo(Item(kCombo), &combo));
    const ACL_CtlColorEntry& group = table.Entry(1);
    ASSERT_EQ(group.windows.size(), 4u) << "combo, its edit, its list, the missing control";
    EXPECT_EQ(group.windows[1], combo.hwndItem);
    EXPECT_EQ(group.windows[2], combo.hwndList);
    EXPECT_EQ(group.windows[3], nullptr);

    for (HWND part : {Item(kCombo), combo.hwndItem, combo.hwndList}) {
        EXPECT_EQ(table.HandleCtlColor(WM_CTLCOLOREDIT, dc_, part), group.brush);
        EXPECT_EQ(::GetTextColor(dc_), kRed) << "the earlier group wins";
        EXPECT_EQ(::GetCurrentObject(dc_, OBJ_FONT), bold);
    }
    EXPECT_EQ(table.HandleCtlColor(WM_CTLCOLORSTATIC, dc_, Item(kLabel)), table.Entry(2).brush);
}

TEST_F(Skin, TheMaskDecidesWhichMessagesAreAnswered) {
    CtlColorTable table(kAllButEditsAndLists);
    ASSERT_EQ(kAllButEditsAndLists, 0xFFFFFFEBu) << "the settings dialog's mask";
    LRESULT result = 0;
    const auto wParam = reinterpret_cast<WPARAM>(dc_);
    const auto control = reinterpret_cast<LPARAM>(Item(kEdit));
    EXPECT_FALSE(table.AnswerCtlColor(WM_CTLCOLOREDIT, wParam, control, result));
    EXPECT_FALSE(table.AnswerCtlColor(WM_CTLCOLORLISTBOX, wParam, control, result));
    EXPECT_FALSE(table.AnswerCtlColor(WM_CTLCOLORMSGBOX, wParam, control, result));
    for (UINT message : {WM_CTLCOLORDLG, WM_CTLCOLORSTATIC, WM_CTLCOLORBTN, WM_CTLCOLORSCROLLBAR}) {
        result = 0;
        EXPECT_TRUE(table.AnswerCtlColor(message, wParam, control, result)) << message;
        EXPECT_EQ(result, reinterpret_cast<LRESULT>(table.Entry(0).brush));
    }
    CtlColorTable about(0xFFFFFFFF);
    EXPECT_TRUE(about.AnswerCtlColor(WM_CTLCOLOREDIT, wParam, control, result));
    EXPECT_TRUE(about.AnswerCtlColor(WM_CTLCOLORLISTBOX, wParam, control, result));
}

TEST_F(Skin, OwnedBrushesAndFontsAreDeletedOnceAndNothingElse) {
    const HFONT owned = NewFont();
    const HFONT lent = NewFont();
    const HFONT replaced = NewFont();
    HBRUSH defaultBrush = nullptr;
    HBRUSH firstDefaultBrush = nullptr;
    HBRUSH ownedGroupBrush = nullptr;
    HBRUSH lentGroupBrush = nullptr;
    {
        CtlColorTable table(0xFFFFFFFF);
        table.ModifyEntry(kChangeBackground, 0, 0, kBlue, nullptr, 0);
        firstDefaultBrush = table.Entry(0).brush;
        table.ModifyEntry(kChangeBackground, 0, 0, kRed, nullptr, 0);
        defaultBrush = table.Entry(0).brush;
        EXPECT_FALSE(Alive(firstDefaultBrush)) << "a replaced brush of ours is freed at once";

        const int labels[] = {kLabel};
        const int others[] = {kOtherLabel};
        table.AddControlGroup(parent_.Get(), labels, 1, 0, kBlue, replaced, 0xFFFFFFFF);
        table.ModifyEntry(kChangeFont, 1, 0, 0, owned, 0);
        EXPECT_FALSE(Alive(replaced)) << "an owned font is freed when replaced";
        table.AddControlGroup(parent_.Get(), others, 1, 0, kBlue, lent, kEntryOwnsBrush);
        ownedGroupBrush = table.Entry(1).brush;
        lentGroupBrush = table.Entry(2).brush;
        EXPECT_TRUE(Alive(owned));
        EXPECT_TRUE(Alive(ownedGroupBrush));
    }
    EXPECT_FALSE(Alive(owned));
    EXPECT_FALSE(Alive(ownedGroupBrush));
    EXPECT_FALSE(Alive(lentGroupBrush));
    EXPECT_FALSE(Alive(defaultBrush));
    EXPECT_TRUE(Alive(lent)) << "a font without the ownership bit stays the caller's";
    EXPECT_TRUE(Alive(::GetSysColorBrush(COLOR_WINDOW)));
    ::DeleteObject(lent);
}

}  // namespace
}  // namespace trovelle::ui
