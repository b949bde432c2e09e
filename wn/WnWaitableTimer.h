#pragma once
#include "wn/WnHandle.h"
#include "wn/WnWaitableTimerCallbackInterface.h"

class WnWaitableTimer : public WnHandle
{
  public:
    WnWaitableTimer() noexcept = default;
    ~WnWaitableTimer() override;
    WnWaitableTimer(WnWaitableTimer&& other) noexcept = default;
    WnWaitableTimer& operator=(WnWaitableTimer&& other) noexcept = default;

    // Cancels and closes any held timer, then creates a new one.
    [[nodiscard]] DWORD Create(bool manualReset, SECURITY_ATTRIBUTES* security = nullptr,
                               const wchar_t* name = nullptr);
    // Fires first after periodMs x 100 ns (almost at once), then every periodMs milliseconds. With a
    // callback, OnTimer runs as an APC on the calling thread during its alertable waits; the callback
    // must stay alive until the timer is cancelled. A period of 0 or less returns 87 and changes nothing.
    [[nodiscard]] DWORD Set(LONG periodMs, WnWaitableTimerCallbackInterface* callback, bool resume = false);
    // Fires once, delayMs milliseconds from now; the callback as for Set.
    [[nodiscard]] DWORD SetOnce(LONG delayMs, WnWaitableTimerCallbackInterface* callback);
    [[nodiscard]] DWORD Cancel();

    // Cancels (which also drops queued callbacks) before closing.
    void Close() noexcept override;
};
static_assert(sizeof(WnWaitableTimer) == sizeof(HANDLE) + sizeof(void*), "WnWaitableTimer holds one handle");
