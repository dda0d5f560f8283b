// Help paths and the HTML Help library: found once, or given up once without a word.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CharacterFields.h"
#include "HtmlHelpViewer.h"
#include "MainDlg.h"
#include "ProgramFolder.h"

namespace trovelle::properties {
namespace {

struct HelpCall {
    HWND caller;
    std::wstring path;
    UINT command;
    DWORD_PTR data;
};
std::vector<HelpCall> g_calls;

HWND WINAPI RecordingHtmlHelp(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data) {
    g_calls.push_back({caller, file, command, data});
    return reinterpret_cast<HWND>(0x1234);
}

std::wstring ThisProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

TEST(Help, TheTwoTargetsLieBesideTheProgram) {
    const std::wstring folder = ThisProgramFolder();
    EXPECT_EQ(HelpPath(HelpTarget::StartPage), folder + L"\\TrovellePro.chm");
    EXPECT_EQ(HelpPath(HelpTarget::ConfiguringTopic),
              folder + L"\\TrovellePro.chm::/configuring trovellepro.html#part2");
}

TEST(Help, PathsThatWouldNotFitMaxPathAreRefused) {
    const std::wstring suffix = L"\\TrovexCache.exe";
    const std::wstring fits = L"C:\\" + std::wstring(MAX_PATH - 1 - 3 - suffix.size(), L'f');
    EXPECT_EQ(BesidePath(fits + L"\\TrovexProperties.exe", suffix)->size(), MAX_PATH - 1u);
    EXPECT_FALSE(BesidePath(fits + L"g\\TrovexProperties.exe", suffix));
    EXPECT_FALSE(BesidePath(L"NoFolder.exe", suffix));
}

TEST(Help, TheFoundEntryPointGetsCallerPathAndDisplayTopic) {
    g_calls.clear();
    int searches = 0;
    HtmlHelpViewer viewer([&] {
        ++searches;
        return &RecordingHtmlHelp;
    });
    const HWND caller = reinterpret_cast<HWND>(0x42);
    EXPECT_EQ(viewer.Show(caller, L"C:\\a\\TrovellePro.chm", kHelpDisplayTopic, 0),
              reinterpret_cast<HWND>(0x1234));
    viewer.Show(caller, L"C:\\a\\TrovellePro.chm::/configuring trovellepro.html#part2",
                kHelpDisplayTopic, 0);
    EXPECT_EQ(searches, 1) << "the library is kept after the first use";
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0].caller, caller);
    EXPECT_EQ(g_calls[0].path, L"C:\\a\\TrovellePro.chm");
    EXPECT_EQ(g_calls[1].path, L"C:\\a\\TrovellePro.chm::/configuring trovellepro.html#part2");
    EXPECT_EQ(g_calls[1].command, 0u);
    EXPECT_EQ(g_calls[1].data, 0u);
}

TEST(Help, AMissingLibraryIsSearchedForOnlyOnce) {
    int searches = 0;
    HtmlHelpViewer viewer([&]() -> HtmlHelpFunction {
        ++searches;
        return nullptr;
    });
    EXPECT_EQ(viewer.Show(nullptr, L"x.chm", kHelpDisplayTopic, 0), nullptr);
    EXPECT_TRUE(viewer.Failed());
    EXPECT_EQ(viewer.Show(nullptr, L"x.chm", kHelpDisplayTopic, 0), nullptr);
    EXPECT_EQ(searches, 1);
}

TEST(Help, TheSystemLibraryIsFoundUnderWine) {
    EXPECT_NE(LocateHtmlHelp(), nullptr) << "registered path or hhctrl.ocx, entry 15";
}

TEST(CharacterFields, SeparatorNamesAndFirstCharacters) {
    const SeparatorNames names{L"Don't use", L"Space"};
    EXPECT_EQ(SeparatorText(0, names), L"Don't use");
    EXPECT_EQ(SeparatorText(L' ', names), L"Space");
    EXPECT_EQ(SeparatorText(L'.', names), L".");
    EXPECT_EQ(SeparatorFromText(L"DON'T USE", names), 0);
    EXPECT_EQ(SeparatorFromText(L"space", names), L' ');
    EXPECT_EQ(SeparatorFromText(L"Spacey", names), L'S') << "only the whole name counts";
    EXPECT_EQ(SeparatorFromText(L"", names), 0);
    EXPECT_EQ(SymbolText(0), L"");
    EXPECT_EQ(SymbolText(L'\u2022'), L"\u2022");
    EXPECT_FALSE(EqualIgnoringAsciiCase(L"\u00c4", L"\u00e4")) << "ASCII letters only";
}

}  // namespace
}  // namespace trovelle::properties
