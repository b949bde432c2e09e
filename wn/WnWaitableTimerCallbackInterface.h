#pragma once
#include <windows.h>

// Receives the expiries of a WnWaitableTimer, as an APC on the thread that set the timer.
class WnWaitableTimerCallbackInterface
{
  public:
    virtual ~WnWaitableTimerCallbackInterface() = default;
    virtual void OnTimer(DWORD lowTime, DWORD highTime) = 0;
};
