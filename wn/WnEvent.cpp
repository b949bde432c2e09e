#include "wn/WnEvent.h"
#include "wn/WnLastError.h"

DWORD WnEvent::Create(bool manualReset)
{
    Close();
    handle_.Attach(CreateEventW(nullptr, manualReset ? TRUE : FALSE, FALSE, nullptr));
    return handle_ ? ERROR_SUCCESS : WnLastError();
}

DWORD WnEvent::Set()
{
    return SetEvent(Get()) ? ERROR_SUCCESS : WnLastError();
}

DWORD WnEvent::Reset()
{
    return ResetEvent(Get()) ? ERROR_SUCCESS : WnLastError();
}
