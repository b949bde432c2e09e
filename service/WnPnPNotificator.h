#pragma once
#include "service/WnPnPNotificatorCallbackForwarderT.h"
#include "service/WnRegistrationList.h"
#include "wn/WnCriticalSection.h"
#include "wn/WnEvent.h"
#include "wn/WnThread.h"
#include "wn/WnThreadCallbackInterface.h"

// A hidden window on a thread of its own that hands device-interface arrivals and removals to a callback.
// The callback runs on that thread while Start, Register and Stop (from other threads) hold the lock, so it
// must only hand the event on and never call back into the notificator.
class WnPnPNotificator : public WnThreadCallbackInterface
{
  public:
    static constexpr DWORD kStartTimeoutMs = 10000;

    WnPnPNotificator() = default;
    ~WnPnPNotificator() override;

    WnPnPNotificator(const WnPnPNotificator&) = delete;
    WnPnPNotificator& operator=(const WnPnPNotificator&) = delete;

    // module null means the program's own module. Returns 87 without a callback, 1247 when started, 1460
    // when the window did not appear within 10 s, or the window creation error.
    [[nodiscard]] DWORD Start(WnPnPNotificatorCallbackInterface* callback, HINSTANCE module);
    // Returns 13 (ERROR_INVALID_DATA) while stopped or without a window.
    [[nodiscard]] DWORD Register(const GUID& guid);
    // Closes the window, waits for the thread and drops every registration; returns the wait result.
    DWORD Stop(DWORD timeoutMs);

    // The window thread's body.
    DWORD Run() override;
    virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND GetWindow() const noexcept { return window_; }

  private:
    static LRESULT CALLBACK WindowRouter(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    WnCriticalSection lock_;
    bool started_ = false;
    HINSTANCE module_ = nullptr;
    HWND window_ = nullptr;                                 // owned by the notificator's thread
    WnPnPNotificatorCallbackInterface* callback_ = nullptr; // not owned
    WnThread thread_;
    WnEvent ready_;
    DWORD startResult_ = ERROR_SUCCESS;
    WnRegistrationList registrations_;
};
