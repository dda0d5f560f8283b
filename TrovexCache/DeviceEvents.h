// Device events of the watched drive roots. A disk that reports itself fixed (a USB hard disk)
// can be removed, and a volume locked (check-disk, encryption), only once nobody holds a handle
// on it: the system asks every registered holder first (a query to remove) and then says how it
// ended. A message-only window on a thread of its own receives those messages.
#pragma once

#include <windows.h>

#include "UniqueHandle.h"

namespace trovelle {

enum class DeviceEvent { QueryRemove, RemoveFailed, Removed };

class DeviceEventListener {
public:
    // Called on the window's thread with the handle the event is about; the system has its
    // answer to a query once this returns.
    virtual void OnDeviceEvent(DeviceEvent event, HANDLE directory) = 0;

protected:
    ~DeviceEventListener() = default;
};

class DeviceEventWindow {
public:
    static constexpr wchar_t kClassName[] = L"TrovexCacheDeviceEvents";

    explicit DeviceEventWindow(DeviceEventListener& listener) : listener_(listener) {}
    ~DeviceEventWindow() { Stop(); }
    DeviceEventWindow(const DeviceEventWindow&) = delete;
    DeviceEventWindow& operator=(const DeviceEventWindow&) = delete;

    // Starts the window's thread and waits until the window exists.
    bool Start();
    // Closes the window and waits for its thread.
    void Stop();
    // The device events of the volume `directory` lies on, for as long as the result lives.
    UniqueDeviceNotification Register(HANDLE directory) const;

private:
    static DWORD WINAPI ThreadMain(void* self);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    DeviceEventListener& listener_;
    UniqueKernelHandle thread_;
    UniqueKernelHandle ready_;
    HWND window_ = nullptr;  // set by its thread before `ready_`
};

}  // namespace trovelle
