// Both dialogs created inside the test program: link hit-testing and what their skins free.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "AboutDlg.h"
#include "AppModule.h"
#include "MainDlg.h"
#include "res/resource.h"

namespace trovelle::properties {
namespace {

class DialogsInProcess : public ::testing::Test {
protected:
    void SetUp() override { ui::TheModule().Init(::GetModuleHandleW(nullptr)); }
    void TearDown() override { ui::TheModule().Term(); }

    static POINT CentreInClient(HWND dialog, int id) {
        RECT rect{};
        ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
        POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ::ScreenToClient(dialog, &centre);
        return centre;
    }
    static HFONT FontOf(HWND dialog, int id) {
        return reinterpret_cast<HFONT>(::SendDlgItemMessageW(dialog, id, WM_GETFONT, 0, 0));
    }
    static bool Alive(HGDIOBJ object) { return ::GetObjectType(object) != 0; }
};

TEST_F(DialogsInProcess, AboutLinksAreHitInTheirOwnRectanglesOnly) {
    auto about = std::make_unique<CAboutDlg>();
    ASSERT_NE(about->Create(ui::TheModule().Instance(), IDD_ABOUT, nullptr), nullptr);
    const HWND dialog = about->Window();
    const int order[] = {IDC_ABOUT_WEB_LINK, IDC_ABOUT_SUPPORT_LINK, IDC_ABOUT_MAIL_LINK};
    for (int link : order) {
        EXPECT_EQ(about->LinkAt(CentreInClient(dialog, link), order, 3), link) << link;
    }
    EXPECT_EQ(about->LinkAt(CentreInClient(dialog, IDC_ABOUT_WEB_LABEL), order, 3), 0);
    EXPECT_EQ(about->LinkAt(CentreInClient(dialog, IDOK), order, 3), 0);
    EXPECT_EQ(about->LinkAt(POINT{-5, -5}, order, 3), 0);

    // Moving over a link shows the hand; elsewhere the cursor is left alone.
    const HCURSOR hand = ::LoadCursorW(ui::TheModule().Instance(), MAKEINTRESOURCEW(IDC_LINK_HAND));
    ASSERT_NE(hand, nullptr);
    const auto at = [](POINT point) { return MAKELPARAM(point.x, point.y); };
    const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
    ::SetCursor(arrow);
    ::SendMessageW(dialog, WM_MOUSEMOVE, 0, at(CentreInClient(dialog, IDC_ABOUT_WEB_LABEL)));
    EXPECT_EQ(::GetCursor(), arrow);
    ::SendMessageW(dialog, WM_MOUSEMOVE, 0, at(CentreInClient(dialog, IDC_ABOUT_SUPPORT_LINK)));
    EXPECT_EQ(::GetCursor(), hand);

    // The labels are bold, the links underlined; both fonts belong to the skin.
    LOGFONTW bold{};
    LOGFONTW underline{};
    const HFONT boldFont = FontOf(dialog, IDC_ABOUT_VERSION);
    const HFONT linkFont = FontOf(dialog, IDC_ABOUT_MAIL_LINK);
    ASSERT_TRUE(::GetObjectW(boldFont, sizeof(bold), &bold));
    ASSERT_TRUE(::GetObjectW(linkFont, sizeof(underline), &underline));
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    EXPECT_EQ(underline.lfUnderline, 1);
    EXPECT_NE(underline.lfWeight, FW_BOLD);
    ::DestroyWindow(dialog);
    about.reset();
    EXPECT_FALSE(Alive(boldFont));
    EXPECT_FALSE(Alive(linkFont));
}

TEST_F(DialogsInProcess, TheSettingsDialogsBoldFontGoesWithTheDialog) {
    auto settings = std::make_unique<CMainDlg>();
    ASSERT_NE(settings->Create(ui::TheModule().Instance(), IDD_MAIN, nullptr), nullptr);
    const HFONT bold = FontOf(settings->Window(), IDC_HEADER_GLOBAL);
    ASSERT_NE(bold, nullptr);
    EXPECT_EQ(FontOf(settings->Window(), IDC_HEADER_SIZE), bold) << "one font for the group";
    LOGFONTW description{};
    ASSERT_TRUE(::GetObjectW(bold, sizeof(description), &description));
    EXPECT_EQ(description.lfWeight, FW_BOLD);
    EXPECT_NE(FontOf(settings->Window(), IDC_COLUMN_TITLE), bold);
    // Destroying the object with its window still open must not reach the half-gone dialog.
    settings.reset();
    EXPECT_FALSE(Alive(bold));
}

}  // namespace
}  // namespace trovelle::properties
