// The treemap pane's layout and paint of 10,000 files into its back buffer, against filling
// 10,000 plain rectangles with FillRect into a buffer of the same size, timed in turns in the
// same run. Needs a display (run it with run-with-display.sh). A measuring program, not a
// test: it exits non-zero only when the pane cannot be made.
//
//   bench_treemap
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "BenchSupport.h"
#include "GdiScopes.h"
#include "TreemapPane.h"
#include "TreemapSample.h"

namespace {

using namespace trovelle;
using browser::TreemapItem;

constexpr int kWidth = 1600, kHeight = 1000;
constexpr int kRounds = 21;

// 10 folders of 10 folders of 100 files of similar sizes, so that every file gets a block.
TreemapItem MakeTree() {
    uint32_t seed = 1;
    return test::TreemapSample(L"D:\\Big", [&seed](int, int, int file) {
        seed = seed * 1664525 + 1013904223;
        return std::pair{L"file" + std::to_wstring(file) + (file % 2 ? L".jpg" : L".txt"),
                         uint64_t{1000000 + seed % 1000000}};
    });
}

// The baseline: 10,000 rectangles in ten brushes, as a plain GDI program would draw them.
double FillRectMilliseconds(HDC dc, const std::vector<UniqueBrush>& brushes) {
    const auto start = std::chrono::steady_clock::now();
    for (int row = 0; row < 100; ++row) {
        for (int column = 0; column < 100; ++column) {
            const RECT rect{column * kWidth / 100, row * kHeight / 100, (column + 1) * kWidth / 100,
                            (row + 1) * kHeight / 100};
            ::FillRect(dc, &rect, brushes[(row + column) % brushes.size()].Get());
        }
    }
    ::GdiFlush();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int wmain() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const HWND frame = ::CreateWindowExW(0, L"STATIC", L"Treemap", WS_POPUP, 0, 0, kWidth, kHeight,
                                         nullptr, nullptr, instance, nullptr);
    browser::TreemapPane pane;
    if (frame == nullptr || !pane.Create(frame, instance, 1)) {
        std::printf("the treemap pane could not be made\n");
        return 1;
    }
    ::MoveWindow(pane.Window(), 0, 0, kWidth, kHeight, FALSE);
    pane.Show(MakeTree());
    const size_t blocks = pane.Scene().Blocks().size();

    // The same size of buffer for the baseline, a 32-bit DIB section as the pane's.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    SelectionScope selected(dc.Get(), bitmap.Get());
    std::vector<UniqueBrush> brushes;
    for (int colour = 0; colour < 10; ++colour) {
        brushes.emplace_back(::CreateSolidBrush(RGB(25 * colour, 255 - 20 * colour, 128)));
    }

    std::vector<double> treemap, baseline;
    for (int round = 0; round < kRounds; ++round) {
        pane.SetColouring(round % 2 ? browser::TreemapColouring::ByFileType
                                    : browser::TreemapColouring::ByTopLevel);
        treemap.push_back(pane.LastDrawMilliseconds());
        baseline.push_back(FillRectMilliseconds(dc.Get(), brushes));
    }
    const double treemapMs = Median(treemap), baselineMs = Median(baseline);
    std::printf(
        "treemap of 10,000 files (%zu blocks drawn, %dx%d): layout and paint %.2f ms "
        "(goal: at most 100 ms)\n",
        blocks, kWidth, kHeight, treemapMs);
    std::printf("baseline, FillRect of 10,000 rectangles into the same size of buffer: %.2f ms\n",
                baselineMs);
    std::printf("ratio: %.2fx the baseline\n", treemapMs / baselineMs);
    ::DestroyWindow(frame);
    return 0;
}
