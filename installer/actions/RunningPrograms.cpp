#include "RunningPrograms.h"

#include <tlhelp32.h>

#include <vector>

#include "UniqueHandle.h"

namespace trovelle::installer {
namespace {

std::wstring Lower(std::wstring text) {
    ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::wstring ImagePath(HANDLE process) {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD length = ARRAYSIZE(path);
    return ::QueryFullProcessImageNameW(process, 0, path, &length) ? std::wstring(path, length)
                                                                   : std::wstring();
}

struct Instance {
    DWORD id;
    UniqueKernelHandle process;
};

std::vector<Instance> FindInstances(const std::wstring& imagePath) {
    std::vector<Instance> found;
    const UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return found;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
         more = ::Process32NextW(snapshot.Get(), &entry)) {
        UniqueKernelHandle process(::OpenProcess(
            PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
            entry.th32ProcessID));
        if (process && Lower(ImagePath(process.Get())) == imagePath) {
            found.push_back({entry.th32ProcessID, std::move(process)});
        }
    }
    return found;
}

// A program with a message loop on any of its threads leaves it on WM_QUIT and ends in order.
void AskToQuit(DWORD processId) {
    const UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot.Get(), &entry); more;
         more = ::Thread32Next(snapshot.Get(), &entry)) {
        if (entry.th32OwnerProcessID == processId) {
            ::PostThreadMessageW(entry.th32ThreadID, WM_QUIT, 0, 0);
        }
    }
}

bool Ended(HANDLE process, DWORD waitMs) {
    return ::WaitForSingleObject(process, waitMs) == WAIT_OBJECT_0;
}

}  // namespace

EndResult EndRunningPrograms(const std::wstring& folder, const std::wstring& fileName,
                             DWORD askMs, DWORD terminateMs) {
    std::wstring imagePath = folder;
    if (!imagePath.empty() && imagePath.back() != L'\\') imagePath += L'\\';
    imagePath = Lower(imagePath + fileName);

    EndResult result;
    std::vector<Instance> instances = FindInstances(imagePath);
    for (const Instance& instance : instances) AskToQuit(instance.id);
    const ULONGLONG deadline = ::GetTickCount64() + askMs;
    for (Instance& instance : instances) {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        if (Ended(instance.process.Get(), left)) {
            ++result.asked;
            continue;
        }
        ::TerminateProcess(instance.process.Get(), ERROR_INSTALL_USEREXIT);
        if (Ended(instance.process.Get(), terminateMs)) {
            ++result.terminated;
        } else {
            ++result.left;
        }
    }
    return result;
}

}  // namespace trovelle::installer
