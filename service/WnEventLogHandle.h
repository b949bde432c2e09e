#pragma once
#include <windows.h>

// Owns one event source handle (null when closed); the derived class decides how it is given back.
class WnEventLogHandle
{
  public:
    WnEventLogHandle() noexcept = default;
    virtual ~WnEventLogHandle() = default;

    WnEventLogHandle(const WnEventLogHandle&) = delete;
    WnEventLogHandle& operator=(const WnEventLogHandle&) = delete;

    // Returns 0 or the system error; the handle is cleared either way.
    virtual DWORD Close() = 0;

    HANDLE Get() const noexcept { return handle_; }

  protected:
    HANDLE handle_ = nullptr;
};
