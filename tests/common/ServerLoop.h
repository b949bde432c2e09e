// A server's loop on a thread of its own, as corvexsvc runs it, for tests of the service and of the control
// panel against a driver model in the test process.
#pragma once

#include "driverapi/NorvikDriver.h"
#include "service/NorvikServer.h"
#include "wn/WnEvent.h"

#include <windows.h>

#include <thread>
#include <vector>

// Waits until `code` has reached `client`; the codes received on the way are returned through *seen. Window
// messages are dispatched meanwhile, so a test's own windows stay responsive.
inline bool WaitForNotification(NorvikDriver& client, uint32_t code, std::vector<uint32_t>* seen = nullptr,
                                DWORD timeoutMs = 10000)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;)
    {
        NorvikMessage message;
        while (client.ReceiveNotification(&message) == NORVIK_STATUS_SUCCESS)
        {
            if (seen != nullptr)
                seen->push_back(message.code);
            if (message.code == code)
                return true;
        }
        const ULONGLONG now = GetTickCount64();
        const HANDLE event = client.NotificationEvent();
        if (now >= deadline || event == nullptr)
            return false;
        const DWORD woke =
            MsgWaitForMultipleObjects(1, &event, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0 + 1)
        {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        else if (woke != WAIT_OBJECT_0)
        {
            return false;
        }
    }
}

class ServerLoop
{
  public:
    ServerLoop()
    {
        (void)stopEvent.Create(false);
        (void)arrivalEvent.Create(false);
    }
    ~ServerLoop() { Stop(); }
    ServerLoop(const ServerLoop&) = delete;
    ServerLoop& operator=(const ServerLoop&) = delete;

    // Starts the loop and waits for its first device-list notification (3030) on `observer`, which is
    // opened as a client first if it is closed: by then the server holds its role, has read the device list
    // and has brought streaming up, so a test starts from a settled driver. False when that did not come.
    bool Start(NorvikServer& server, NorvikDriver& observer)
    {
        (void)observer.OpenAsClient(NORVIK_DRIVER_NAME);
        thread_ = std::thread([this, &server] { server.RunServer(stopEvent.Get(), arrivalEvent.Get()); });
        return WaitForNotification(observer, NORVIK_NOTIFY_DEVICE_LIST_CHANGED);
    }
    // The same with an observer of its own, closed again once the server is ready.
    bool Start(NorvikServer& server)
    {
        NorvikDriver observer;
        return Start(server, observer);
    }
    // Signals the stop event and waits for the loop to end.
    void Stop()
    {
        if (thread_.joinable())
        {
            (void)stopEvent.Set();
            thread_.join();
        }
    }
    bool Running() const { return thread_.joinable(); }

    WnEvent stopEvent;
    WnEvent arrivalEvent;

  private:
    std::thread thread_;
};
