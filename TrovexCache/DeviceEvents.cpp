#include "DeviceEvents.h"

#include <dbt.h>

#include <cstddef>

namespace trovelle {
namespace {

constexpr DWORD kStartWaitMs = 5000;

bool EventOf(WPARAM code, DeviceEvent& event) {
    switch (code) {
        case DBT_DEVICEQUERYREMOVE: event = DeviceEvent::QueryRemove; return true;
        case DBT_DEVICEQUERYREMOVEFAILED: event = DeviceEvent::RemoveFailed; return true;
        case DBT_DEVICEREMOVEPENDING:
        case DBT_DEVICEREMOVECOMPLETE: event = DeviceEvent::Removed; return true;
        default: return false;
    }
}

}  // namespace

bool DeviceEventWindow::Start() {
    if (thread_) return window_ != nullptr;
    ready_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ready_) return false;
    thread_.Reset(::CreateThread(nullptr, 0, &ThreadMain, this, 0, nullptr));
    if (!thread_) return false;
    const HANDLE waits[] = {ready_.Get(), thread_.Get()};
    ::WaitForMultipleObjects(2, waits, FALSE, kStartWaitMs);
    return window_ != nullptr;
}

void DeviceEventWindow::Stop() {
    if (!thread_) return;
    if (window_ != nullptr) ::PostMessageW(window_, WM_CLOSE, 0, 0);
    // A thread that has left its loop already (WM_QUIT posted to every thread) has ended.
    ::WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
    window_ = nullptr;
}

UniqueDeviceNotification DeviceEventWindow::Register(HANDLE directory) const {
    if (window_ == nullptr) return {};
    DEV_BROADCAST_HANDLE filter{};
    filter.dbch_size = sizeof filter;
    filter.dbch_devicetype = DBT_DEVTYP_HANDLE;
    filter.dbch_handle = directory;
    return UniqueDeviceNotification(
        ::RegisterDeviceNotificationW(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
}

DWORD WINAPI DeviceEventWindow::ThreadMain(void* raw) {
    auto& self = *static_cast<DeviceEventWindow*>(raw);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassExW(&windowClass);  // fails harmlessly when an earlier window registered it
    HWND window = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, &self);
    self.window_ = window;
    ::SetEvent(self.ready_.Get());
    if (window == nullptr) return 0;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    if (::IsWindow(window)) ::DestroyWindow(window);
    return 0;
}

LRESULT CALLBACK DeviceEventWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
    } else if (message == WM_DEVICECHANGE) {
        auto* self = reinterpret_cast<DeviceEventWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
        constexpr DWORD kHandleBytes = offsetof(DEV_BROADCAST_HANDLE, dbch_hdevnotify);
        DeviceEvent event;
        if (self != nullptr && header != nullptr && header->dbch_devicetype == DBT_DEVTYP_HANDLE &&
            header->dbch_size >= kHandleBytes && EventOf(wParam, event)) {
            const auto* about = reinterpret_cast<const DEV_BROADCAST_HANDLE*>(header);
            self->listener_.OnDeviceEvent(event, about->dbch_handle);
        }
        return TRUE;  // never stands in the way of a removal
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace trovelle
