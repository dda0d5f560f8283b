// Where the settings window opens: the stored position, pulled back onto the virtual screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "PropertiesDriver.h"

namespace trovelle::test {
namespace {

struct ShortForm {
    int32_t left;
    int32_t top;
    uint32_t showCommand;
};

RECT VirtualScreen() {
    const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {x, y, x + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
            y + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

RECT WindowRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

class Placement : public ::testing::Test {
protected:
    void SetUp() override { DeleteSettingsKey(); }
    void TearDown() override { DeleteSettingsKey(); }
};

TEST_F(Placement, ShortFormCornersBeyondEachEdgeComeBackOnScreen) {
    const RECT screen = VirtualScreen();
    struct Case {
        const char* what;
        POINT stored;
        POINT expected;
    } const cases[] = {
        {"inside", {100, 120}, {100, 120}},
        {"left of the screen", {screen.left - 500, 90}, {screen.left, 90}},
        {"above the screen", {70, screen.top - 500}, {70, screen.top}},
        {"right of the screen", {screen.right + 10, 60}, {screen.right / 2, 60}},
        {"below the screen", {40, screen.bottom + 10}, {40, screen.bottom / 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ShortForm stored{c.stored.x, c.stored.y, SW_SHOWNORMAL};
        StoreSetting(L"WindowSubPos", REG_BINARY, &stored, sizeof(stored));
        PropertiesProgram program;
        ASSERT_NE(program.Dialog(), nullptr);
        const RECT opened = WindowRect(program.Dialog());
        EXPECT_EQ(opened.left, c.expected.x);
        EXPECT_EQ(opened.top, c.expected.y);

        program.Click(IDCANCEL);
        EXPECT_EQ(program.WaitForExit(), 2);
        const auto saved = ReadSetting(L"WindowSubPos");
        ASSERT_TRUE(saved);
        ASSERT_EQ(saved->bytes.size(), 12u);
        ShortForm written{};
        std::memcpy(&written, saved->bytes.data(), sizeof(written));
        EXPECT_EQ(written.left, opened.left);
        EXPECT_EQ(written.top, opened.top);
        EXPECT_EQ(written.showCommand, static_cast<uint32_t>(SW_SHOWNORMAL));
    }
}

TEST_F(Placement, FullFormIsAppliedWholeAfterClamping) {
    const RECT screen = VirtualScreen();
    WINDOWPLACEMENT stored{};
    stored.length = sizeof(stored);
    stored.showCmd = SW_SHOWNORMAL;
    stored.rcNormalPosition = {screen.left - 50, screen.bottom + 100, screen.left + 250,
                               screen.bottom + 500};  // 300 x 400, off the left and bottom
    StoreSetting(L"WindowSubPos", REG_BINARY, &stored, sizeof(stored));
    PropertiesProgram program;
    ASSERT_NE(program.Dialog(), nullptr);
    const RECT opened = WindowRect(program.Dialog());
    EXPECT_EQ(opened.left, screen.left);
    EXPECT_EQ(opened.right, screen.left + 300);
    EXPECT_EQ(opened.bottom, screen.bottom);
    EXPECT_EQ(opened.top, screen.bottom - 400);
    program.Click(IDCANCEL);
    EXPECT_EQ(program.WaitForExit(), 2);
    EXPECT_EQ(ReadSetting(L"WindowSubPos")->bytes.size(), 12u) << "only the short form is written";
}

TEST_F(Placement, WithoutAUsableValueTheWindowOpensCentred) {
    const BYTE tooShort[8] = {0xFF, 0xFF, 0xFF, 0x7F};
    for (DWORD bytes : {DWORD{0}, DWORD{8}}) {
        SCOPED_TRACE(bytes);
        if (bytes != 0) StoreSetting(L"WindowSubPos", REG_BINARY, tooShort, bytes);
        PropertiesProgram program;
        ASSERT_NE(program.Dialog(), nullptr);
        RECT area{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        const RECT opened = WindowRect(program.Dialog());
        EXPECT_NEAR((opened.left + opened.right) / 2, (area.left + area.right) / 2, 1);
        EXPECT_NEAR((opened.top + opened.bottom) / 2, (area.top + area.bottom) / 2, 1);
        program.Click(IDCANCEL);
        EXPECT_EQ(program.WaitForExit(), 2);
    }
}

}  // namespace
}  // namespace trovelle::test
