// Trovelle Pro's window driven from outside, on folders of 10,000 and 30,000 items: the time
// from the program's start to its first painted rows against the console host showing the
// folder's names; the longest the window thread is kept from its messages while the sizes are
// measured (a probe sends it a message every 10 ms); the time until every size is shown against
// the console host asking the column handler for every cell; and a warm expansion in the folder
// tree of a folder of 1,000 subfolders. Measurements only.
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>
#include <algorithm>

#include "BenchSupport.h"
#include "BrowserProcess.h"
#include "CacheServerConnection.h"
#include "ComApartment.h"

namespace {

using Clock = std::chrono::steady_clock;
using trovelle::ReleaseRunningServer;
using trovelle::driver::BrowserProcess;

constexpr wchar_t kHost[] = L"C:\\Program Files\\Trovelle Pro\\Tools\\DetailsHost.exe";
constexpr wchar_t kThousandFolders[] = L"D:\\Bench1000Folders";

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Runs the console host with `arguments`, its output to a file (never a pipe a COM server
// started by it could keep open); the milliseconds it took.
double RunHost(const std::wstring& arguments) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    trovelle::UniqueKernelHandle output(::CreateFileW(L"C:\\bench-browser-host.txt", GENERIC_WRITE,
                                                      FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output.Get();
    std::wstring command = L"\"" + std::wstring(kHost) + L"\" " + arguments;
    PROCESS_INFORMATION started = {};
    const auto start = Clock::now();
    if (!::CreateProcessW(kHost, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &started)) {
        return -1;
    }
    ::WaitForSingleObject(started.hProcess, INFINITE);
    const double elapsed = MillisecondsSince(start);
    ::CloseHandle(started.hProcess);
    ::CloseHandle(started.hThread);
    return elapsed;
}

// The names of a folder as the console host's own listing finds them: the count and the time.
double ListNames(const std::wstring& folder, int& names) {
    const auto start = Clock::now();
    names = 0;
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") ++names;
        } while (::FindNextFileW(find, &found));
        ::FindClose(find);
    }
    return MillisecondsSince(start);
}

struct FolderFigures {
    int names = 0;
    double firstRows = 0, consoleNames = 0, longestStall = 0, allSizes = 0, hostAll = 0;
    int probes = 0;
};

FolderFigures MeasureFolder(const std::wstring& folder) {
    FolderFigures figures;
    // Warm the cache server and the file system first, so both sides meet the same state.
    RunHost(L"--tsv \"" + folder + L"\"");
    const double hostStart = RunHost(L"--columns \"" + folder + L"\"");
    figures.consoleNames = hostStart + ListNames(folder, figures.names);

    const auto start = Clock::now();
    BrowserProcess browser(folder);
    while (MillisecondsSince(start) < 60000) {
        if (browser.RowCount() > 0 && !browser.Cell(0, 0).empty()) {
            figures.firstRows = MillisecondsSince(start);
            break;
        }
        ::Sleep(5);
    }
    // While the sizes are measured, a message every 10 ms: how long the window takes to take it.
    while (MillisecondsSince(start) < 120000) {
        const auto sent = Clock::now();
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(browser.Window(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
        figures.longestStall = std::max(figures.longestStall, MillisecondsSince(sent));
        ++figures.probes;
        // Done once every item is listed and no folder is being measured.
        if (figures.probes % 20 == 0 && browser.RowCount() >= figures.names &&
            browser.StatusText(2).find(L"Measuring") == std::wstring::npos) {
            break;
        }
        ::Sleep(10);
    }
    figures.allSizes = MillisecondsSince(start);
    browser.Close();
    // Every cell of the folder asked in a row by the console host.
    figures.hostAll = RunHost(L"--tsv \"" + folder + L"\"");
    return figures;
}

// The median of `rounds` values of one figure.
template <typename Figure>
double Median(std::vector<FolderFigures> rounds, Figure figure) {
    std::sort(rounds.begin(), rounds.end(),
              [&](const FolderFigures& a, const FolderFigures& b) { return figure(a) < figure(b); });
    return figure(rounds[rounds.size() / 2]);
}

void ReportFolder(const std::wstring& folder, int rounds) {
    std::vector<FolderFigures> measured;
    for (int round = 0; round < rounds; ++round) measured.push_back(MeasureFolder(folder));
    const double firstRows = Median(measured, [](const FolderFigures& f) { return f.firstRows; });
    const double consoleNames = Median(measured, [](const FolderFigures& f) { return f.consoleNames; });
    const double stall = Median(measured, [](const FolderFigures& f) { return f.longestStall; });
    double worstStall = 0;
    for (const FolderFigures& f : measured) worstStall = std::max(worstStall, f.longestStall);
    const double allSizes = Median(measured, [](const FolderFigures& f) { return f.allSizes; });
    const double hostAll = Median(measured, [](const FolderFigures& f) { return f.hostAll; });
    std::printf("Trovelle Pro's window, %d items in %ls (medians of %d rounds)\n", measured[0].names,
                folder.c_str(), rounds);
    std::printf("  first painted rows      %8.0f ms   console host with the names %6.0f ms  %.2fx (goal 1.5x)\n",
                firstRows, consoleNames, firstRows / consoleNames);
    std::printf("  longest window stall    %8.1f ms   while measuring, worst round %.1f ms (goal 50 ms)\n",
                stall, worstStall);
    std::printf("  every size shown        %8.0f ms   console host with every cell %6.0f ms  %.2fx\n",
                allSizes, hostAll, allSizes / hostAll);
}

// A folder of 1,000 subfolders the server knows already, opened in the tree of a window on the
// drive: the time until its 1,000 nodes are there, each with its total; -1 when its node was
// not found.
double ExpandThousandFolders() {
    BrowserProcess browser(L"D:\\");
    const auto waitStart = Clock::now();
    HTREEITEM node = nullptr;
    while (node == nullptr && MillisecondsSince(waitStart) < 30000) {
        node = browser.TreeItemOf(kThousandFolders);
        ::Sleep(20);
    }
    if (node == nullptr) return -1;
    browser.WaitUntilMeasured();
    const auto count = [&] { return ::SendMessageW(browser.Tree(), TVM_GETCOUNT, 0, 0); };
    // Its subfolders dN hold N+100 bytes: with their totals, the largest, d999, comes first.
    const auto firstChild = [&] {
        const auto child = reinterpret_cast<HTREEITEM>(::SendMessageW(
            browser.Tree(), TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(node)));
        return child != nullptr ? browser.TreeText(child) : std::wstring();
    };
    const LRESULT before = count();
    const auto start = Clock::now();
    ::SendMessageW(browser.Tree(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
    while ((count() < before + 1000 || firstChild() != L"d999") && MillisecondsSince(start) < 30000) {
        ::Sleep(1);
    }
    const double expanded = MillisecondsSince(start);
    browser.Close();
    return expanded;
}

void ReportWarmExpansion(int rounds) {
    {
        BrowserProcess warm(kThousandFolders);
        warm.WaitUntilMeasured(std::chrono::milliseconds(60000));
    }
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) times.push_back(ExpandThousandFolders());
    std::sort(times.begin(), times.end());
    std::printf("Folder tree, a warm expansion of %ls (1,000 subfolders), %d rounds\n", kThousandFolders, rounds);
    std::printf("  1,000 nodes with totals %8.1f ms   median, %.1f to %.1f (goal 100 ms)\n",
                times[times.size() / 2], times.front(), times.back());
}

}  // namespace

int wmain() {
    const trovelle::ComApartment apartment;
    ReportFolder(L"D:\\Big10k", 3);
    ReportFolder(L"D:\\Big30k", 3);
    ReportWarmExpansion(3);
    ReleaseRunningServer();  // it would keep Wine's desktop, and the caller, waiting
    return 0;
}
