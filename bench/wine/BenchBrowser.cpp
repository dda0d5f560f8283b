// Trovelle Pro's window on a folder of 10,000 items, driven from outside: the time from the
// program's start to its first painted rows against the console host showing the folder's
// names; the longest the window thread is kept from its messages while cells are measured (a
// probe sends it a message every 10 ms); and cells shown per second while measuring against
// the column handler's own rate through the console host. Measurements only.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "BenchSupport.h"
#include "BrowserProcess.h"
#include "CacheServerConnection.h"
#include "ComApartment.h"

namespace {

using Clock = std::chrono::steady_clock;
using trovelle::ReleaseRunningServer;
using trovelle::driver::BrowserProcess;
using trovelle::driver::kNotYetMeasured;

constexpr wchar_t kFolder[] = L"D:\\Big10k";
constexpr wchar_t kHost[] = L"C:\\Program Files\\Trovelle Pro\\Tools\\DetailsHost.exe";

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

}  // namespace

int wmain() {
    const trovelle::ComApartment apartment;
    // Warm the cache server and the file system first, so both sides meet the same state.
    RunHost(std::wstring(L"--tsv \"") + kFolder + L"\"");

    // The console host with the item's names and the handlers' cells for a tenth of the rows
    // gives the handler's own rate; with no cells (--columns) the cost of starting a host.
    const double hostStart = RunHost(std::wstring(L"--columns \"") + kFolder + L"\"");
    double listing = 0;
    int names = 0;
    {
        const auto start = Clock::now();
        WIN32_FIND_DATAW found;
        HANDLE find = ::FindFirstFileW((std::wstring(kFolder) + L"\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name != L"." && name != L"..") ++names;
            } while (::FindNextFileW(find, &found));
            ::FindClose(find);
        }
        listing = MillisecondsSince(start);
    }
    const double consoleNames = hostStart + listing;

    const auto start = Clock::now();
    BrowserProcess browser(kFolder);
    double firstRows = -1;
    while (MillisecondsSince(start) < 60000) {
        if (browser.RowCount() > 0 && !browser.Cell(0, 0).empty()) {
            firstRows = MillisecondsSince(start);
            break;
        }
        ::Sleep(5);
    }
    // While the cells are measured, a message every 10 ms: how long the window takes to take it.
    const auto fillStart = Clock::now();
    double longestStall = 0;
    int probes = 0;
    while (MillisecondsSince(fillStart) < 120000) {
        const auto sent = Clock::now();
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(browser.Window(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
        longestStall = std::max(longestStall, MillisecondsSince(sent));
        ++probes;
        // Rows are measured top to bottom (none is scrolled to): the last one comes last.
        if (probes % 50 == 0 && browser.Cell(browser.RowCount() - 1, 4) != kNotYetMeasured) break;
        ::Sleep(10);
    }
    const double fillSeconds = MillisecondsSince(fillStart) / 1000.0;
    const int columns = browser.ColumnCount() - 4;
    const double shownRate = browser.RowCount() * columns / fillSeconds;

    // The handler's own rate: every cell of the folder asked in a row by the console host.
    const double hostAll = RunHost(std::wstring(L"--tsv \"") + kFolder + L"\"");
    const double handlerRate = names * columns / ((hostAll - hostStart) / 1000.0);

    std::printf("Trovelle Pro's window, %d items in %ls\n", names, kFolder);
    std::printf("  first painted rows      %8.0f ms   console host with the names %6.0f ms  %.2fx\n",
                firstRows, consoleNames, firstRows / consoleNames);
    std::printf("  longest window stall    %8.1f ms   over %d probes while measuring (goal 50 ms)\n",
                longestStall, probes);
    std::printf("  cells shown per second  %8.0f      the handler's own rate %8.0f       %.2fx\n",
                shownRate, handlerRate, shownRate / handlerRate);
    browser.Close();
    ReleaseRunningServer();  // it would keep Wine's desktop, and the caller, waiting
    return 0;
}
