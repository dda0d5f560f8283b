// The treemap pane in a top-level window of this process, over a made-up folder of 10,000 files
// in three levels: what is under a point, what the parent hears of clicks, the long tail in
// one block, both colourings, and pictures of them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "Screenshot.h"
#include "TreemapPane.h"
#include "TreemapSample.h"
#include "WideText.h"

namespace trovelle::test {
namespace {

using browser::SceneBlock;
using browser::TreemapColouring;
using browser::TreemapItem;

constexpr int kPaneId = 42;
constexpr wchar_t kRoot[] = L"D:\\Big";
const wchar_t* const kTypes[] = {L".mp4", L".jpg", L".txt", L".dll", L".iso", L".zip", L".log"};

// 10 folders of 10 folders of 100 files; within a folder file sizes fall off as 1/k^1.5, so
// every folder has a long tail of small files.
TreemapItem MakeTree() {
    return test::TreemapSample(kRoot, [](int top, int middle, int file) {
        return std::pair{L"file" + std::to_wstring(file) + kTypes[(file + middle + top) % std::size(kTypes)],
                         static_cast<uint64_t>((top + 2) * 4e8 / std::pow(file + 1, 1.5))};
    });
}

POINT Centre(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

std::string Printable(const std::wstring& text) { return ToUtf8(text); }

// What the pane's parent heard.
std::vector<std::pair<UINT, std::wstring>> g_notes;

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        const auto* notify = reinterpret_cast<const browser::TreemapNotify*>(lParam);
        if (notify->header.idFrom == kPaneId)
            g_notes.emplace_back(notify->header.code, notify->path);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

class TreemapPane : public ::testing::Test {
protected:
    // One frame for the suite: under Wine without a window manager, ending a shown top-level
    // window takes two seconds.
    static void SetUpTestSuite() {
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        WNDCLASSEXW frameClass = {};
        frameClass.cbSize = sizeof(frameClass);
        frameClass.lpfnWndProc = FrameProc;
        frameClass.hInstance = instance;
        frameClass.lpszClassName = L"TreemapPaneTestFrame";
        ::RegisterClassExW(&frameClass);
        frame_ = ::CreateWindowExW(0, frameClass.lpszClassName, L"Treemap", WS_POPUP | WS_VISIBLE,
                                   0, 0, 1000, 700, nullptr, nullptr, instance, nullptr);
    }
    static void TearDownTestSuite() { ::DestroyWindow(frame_); }

    void SetUp() override {
        ASSERT_NE(frame_, nullptr);
        ASSERT_TRUE(pane_.Create(frame_, ::GetModuleHandleW(nullptr), kPaneId));
        ::MoveWindow(pane_.Window(), 0, 0, 1000, 700, TRUE);
        g_notes.clear();
        pane_.Show(MakeTree());
    }

    // Blocks of files (no children drawn) with a path: these a point can name exactly.
    std::vector<const SceneBlock*> FileBlocks() const {
        std::vector<const SceneBlock*> files;
        for (const SceneBlock& block : pane_.Scene().Blocks()) {
            if (block.item != nullptr && !block.container && !block.item->folder)
                files.push_back(&block);
        }
        return files;
    }

    static inline HWND frame_ = nullptr;
    browser::TreemapPane pane_;  // its window ends with it
};

TEST_F(TreemapPane, APointNamesTheDeepestItemUnderIt) {
    const std::vector<const SceneBlock*> files = FileBlocks();
    ASSERT_GT(files.size(), 1000u);
    const auto& blocks = pane_.Scene().Blocks();
    for (size_t index = 0; index < files.size(); index += 7) {
        const SceneBlock& file = *files[index];
        ASSERT_EQ(file.depth, 3);
        EXPECT_EQ(Printable(pane_.PathAt(Centre(file.rect))), Printable(file.item->path));
        // Nested in the blocks of its folders, below their name strips.
        for (size_t above = file.parent; above != browser::kNoBlock; above = blocks[above].parent) {
            RECT inside;
            ::IntersectRect(&inside, &file.rect, &blocks[above].rect);
            EXPECT_TRUE(::EqualRect(&inside, &file.rect)) << Printable(file.item->path);
            EXPECT_EQ(file.item->path.rfind(blocks[above].item->path + L"\\", 0), 0u);
        }
    }
    RECT client;
    ::GetClientRect(pane_.Window(), &client);
    EXPECT_EQ(pane_.PathAt({client.right / 2, client.bottom - 3}), L"") << "the legend";
    EXPECT_EQ(pane_.PathAt({-5, 10}), L"");
    EXPECT_GT(pane_.LastDrawMilliseconds(), 0);
    std::printf("%zu blocks drawn in %.1f ms\n", pane_.Scene().Blocks().size(),
                pane_.LastDrawMilliseconds());
    // The picture shows the tip of a file under the pointer.
    const POINT hover = Centre(files[files.size() / 3]->rect);
    ::SendMessageW(pane_.Window(), WM_MOUSEMOVE, 0, MAKELPARAM(hover.x, hover.y));
    SaveScreenshot(frame_, L"treemap-by-folder");
}

TEST_F(TreemapPane, EachFoldersLongTailIsOneBlock) {
    std::map<size_t, size_t> filesShown;  // by the folder's block
    std::vector<const SceneBlock*> tails;
    for (const SceneBlock& block : pane_.Scene().Blocks()) {
        if (block.depth != 3) continue;
        if (block.item != nullptr) ++filesShown[block.parent];
        if (block.item == nullptr) tails.push_back(&block);
    }
    ASSERT_GT(tails.size(), 50u);
    for (const SceneBlock* tail : tails) {
        const SceneBlock& folder = pane_.Scene().Blocks()[tail->parent];
        EXPECT_EQ(filesShown[tail->parent] + tail->groupedCount, 100u)
            << Printable(folder.item->path);
        // The tail is the folder's smallest files, all of them.
        std::vector<uint64_t> sizes;
        for (const TreemapItem& file : folder.item->children) sizes.push_back(file.bytes);
        std::sort(sizes.begin(), sizes.end());
        EXPECT_EQ(tail->bytes,
                  std::accumulate(sizes.begin(), sizes.begin() + tail->groupedCount, uint64_t{0}))
            << Printable(folder.item->path);
        EXPECT_EQ(Printable(pane_.PathAt(Centre(tail->rect))), Printable(folder.item->path));
    }
}

TEST_F(TreemapPane, ClicksTellTheParentWhichItem) {
    const SceneBlock& file = *FileBlocks()[10];
    const POINT centre = Centre(file.rect);
    ::SendMessageW(pane_.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(centre.x, centre.y));
    ::SendMessageW(pane_.Window(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(centre.x, centre.y));
    RECT client;
    ::GetClientRect(pane_.Window(), &client);
    ::SendMessageW(pane_.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, client.bottom - 3));
    ASSERT_EQ(g_notes.size(), 2u) << "a click on the legend names nothing";
    EXPECT_EQ(g_notes[0].first, browser::kTreemapSelect);
    EXPECT_EQ(Printable(g_notes[0].second), Printable(file.item->path));
    EXPECT_EQ(g_notes[1].first, browser::kTreemapOpen);
    EXPECT_EQ(Printable(g_notes[1].second), Printable(file.item->path));
}

TEST_F(TreemapPane, ColouringByFileTypeRepaintsTheFiles) {
    const auto sample = [&] {
        ::UpdateWindow(pane_.Window());
        std::vector<COLORREF> colours;
        const HDC dc = ::GetDC(pane_.Window());
        for (const SceneBlock* file : FileBlocks()) {
            colours.push_back(::GetPixel(dc, file->rect.left + 3, file->rect.bottom - 3));
        }
        ::ReleaseDC(pane_.Window(), dc);
        return colours;
    };
    const std::vector<COLORREF> byFolder = sample();
    pane_.SetColouring(TreemapColouring::ByFileType);
    EXPECT_EQ(pane_.Colouring(), TreemapColouring::ByFileType);
    const std::vector<COLORREF> byType = sample();
    ASSERT_EQ(byFolder.size(), byType.size());
    size_t changed = 0;
    for (size_t index = 0; index < byType.size(); ++index)
        changed += byType[index] != byFolder[index];
    EXPECT_GT(changed, byType.size() / 2);
    SaveScreenshot(frame_, L"treemap-by-type");

    pane_.Show(TreemapItem{L"Empty", L"D:\\Empty", 0, true, {}});
    EXPECT_TRUE(pane_.Scene().Blocks().empty());
    EXPECT_EQ(pane_.PathAt({100, 100}), L"");
    SaveScreenshot(frame_, L"treemap-empty");
}

}  // namespace
}  // namespace trovelle::test
