#pragma once
#include "wn/WnUniqueHandleT.h"

#include <windows.h>

// Owns one event source handle (null when closed). The derived class's Close gives it back and reports
// how that went; the member only makes sure a source left open is still deregistered.
class WnEventLogHandle
{
  public:
    virtual ~WnEventLogHandle() = default;

    // Returns 0 or the system error; the handle is cleared either way.
    virtual DWORD Close() = 0;

    HANDLE Get() const noexcept { return handle_.Get(); }

  protected:
    WnUniqueNullHandle<HANDLE, DeregisterEventSource> handle_;
};
