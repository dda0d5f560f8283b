#include "BackgroundWork.h"

#include <memory>

#include "ComApartment.h"
#include "ModuleLock.h"

namespace trovelle {
namespace {

struct Job {
    HMODULE module;  // a reference of the loader's, given back by the thread's very last call
    std::function<void()> work;
};

DWORD WINAPI RunJob(void* parameter) {
    HMODULE module = nullptr;
    {
        const std::unique_ptr<Job> job(static_cast<Job*>(parameter));
        module = job->module;
        {
            const ComApartment apartment(COINIT_MULTITHREADED);
            job->work();
        }
        job->work = nullptr;  // what the work holds goes while the module is still locked
        ModuleLock::Unlock();
    }
    ::FreeLibraryAndExitThread(module, 0);
}

}  // namespace

HRESULT RunInBackground(std::function<void()> work) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<LPCWSTR>(&RunJob), &module)) {
        return HRESULT_FROM_WIN32(::GetLastError());
    }
    auto job = std::make_unique<Job>(Job{module, std::move(work)});
    ModuleLock::Lock();
    const HANDLE thread = ::CreateThread(nullptr, 0, RunJob, job.get(), 0, nullptr);
    if (thread == nullptr) {
        const HRESULT hr = HRESULT_FROM_WIN32(::GetLastError());
        ModuleLock::Unlock();
        ::FreeLibrary(module);
        return hr;
    }
    job.release();  // the thread's now
    ::CloseHandle(thread);
    return S_OK;
}

}  // namespace trovelle
