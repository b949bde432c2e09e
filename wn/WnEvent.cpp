#include "wn/WnEvent.h"
#include "wn/WnLastError.h"

DWORD WnEvent::Create(bool manualReset)
{
    Close();
    handle_ = CreateEventW(nullptr, manualReset ? TRUE : FALSE, FALSE, nullptr);
    return handle_ != nullptr ? ERROR_SUCCESS : WnLastError();
}

DWORD WnEvent::Set()
{
    return SetEvent(handle_) ? ERROR_SUCCESS : WnLastError();
}

DWORD WnEvent::Reset()
{
    return ResetEvent(handle_) ? ERROR_SUCCESS : WnLastError();
}
