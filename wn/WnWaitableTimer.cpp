#include "wn/WnWaitableTimer.h"
#include "wn/WnLastError.h"

namespace
{
void CALLBACK TimerCompletion(void* argument, DWORD lowTime, DWORD highTime)
{
    static_cast<WnWaitableTimerCallbackInterface*>(argument)->OnTimer(lowTime, highTime);
}
} // namespace

WnWaitableTimer::~WnWaitableTimer()
{
    WnWaitableTimer::Close();
}

DWORD WnWaitableTimer::Create(bool manualReset, SECURITY_ATTRIBUTES* security, const wchar_t* name)
{
    Close();
    handle_.Attach(CreateWaitableTimerW(security, manualReset ? TRUE : FALSE, name));
    return handle_ ? ERROR_SUCCESS : WnLastError();
}

DWORD WnWaitableTimer::Set(LONG periodMs, WnWaitableTimerCallbackInterface* callback, bool resume)
{
    if (periodMs <= 0)
        return ERROR_INVALID_PARAMETER;
    LARGE_INTEGER dueTime;
    // Negative means relative, and the due time counts 100 ns units while the period counts milliseconds:
    // the same number makes the first expiry come almost at once and the rest periodMs apart.
    dueTime.QuadPart = -static_cast<LONGLONG>(periodMs);
    const BOOL armed =
        SetWaitableTimer(Get(), &dueTime, periodMs, callback != nullptr ? TimerCompletion : nullptr, callback,
                         resume ? TRUE : FALSE);
    return armed ? ERROR_SUCCESS : WnLastError();
}

DWORD WnWaitableTimer::SetOnce(LONG delayMs, WnWaitableTimerCallbackInterface* callback)
{
    if (delayMs <= 0)
        return ERROR_INVALID_PARAMETER;
    LARGE_INTEGER dueTime;
    dueTime.QuadPart = -static_cast<LONGLONG>(delayMs) * 10000; // relative, in 100 ns units
    const BOOL armed = SetWaitableTimer(Get(), &dueTime, 0, callback != nullptr ? TimerCompletion : nullptr,
                                        callback, FALSE);
    return armed ? ERROR_SUCCESS : WnLastError();
}

DWORD WnWaitableTimer::Cancel()
{
    if (!handle_)
        return ERROR_SUCCESS;
    return CancelWaitableTimer(Get()) ? ERROR_SUCCESS : WnLastError();
}

void WnWaitableTimer::Close() noexcept
{
    (void)Cancel();
    WnHandle::Close();
}
