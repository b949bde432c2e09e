#include "wn/WnPostWindowMessageThread.h"

WnPostWindowMessageThread::WnPostWindowMessageThread()
{
    // A failure shows up as ERROR_INVALID_HANDLE from Start.
    (void)stopEvent_.Create(false);
}

WnPostWindowMessageThread::~WnPostWindowMessageThread()
{
    (void)Stop();
}

DWORD WnPostWindowMessageThread::Start(HWND window, HANDLE watchedEvent, UINT message)
{
    if (thread_.Get() != nullptr)
        return ERROR_ALREADY_EXISTS;
    // Without both events the wait below would fail on every turn and the thread could never be stopped.
    if (!stopEvent_ || watchedEvent == nullptr)
        return ERROR_INVALID_HANDLE;
    window_ = window;
    watchedEvent_ = watchedEvent;
    message_ = message;
    return thread_.Start(this);
}

DWORD WnPostWindowMessageThread::Stop()
{
    // Signalling without a thread would leave the auto-reset event set and end the next run at once.
    if (thread_.Get() == nullptr)
        return ERROR_SUCCESS;
    (void)stopEvent_.Set();
    return thread_.Wait(INFINITE);
}

DWORD WnPostWindowMessageThread::Run()
{
    const HANDLE events[] = {stopEvent_.Get(), watchedEvent_};
    for (;;)
    {
        const DWORD result = WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0 + 1)
        {
            (void)PostMessageW(window_, message_, 0, 0);
        }
        else if (result == WAIT_FAILED)
        {
            // Retry, but still honour a stop if the watched handle went bad, and do not spin.
            if (WaitForSingleObject(events[0], 10) == WAIT_OBJECT_0)
                return 0;
        }
        else
        {
            return 0;
        }
    }
}
