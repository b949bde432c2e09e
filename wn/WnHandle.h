#pragma once
#include "wn/WnUniqueHandleT.h"

#include <windows.h>

// Owns one kernel object handle whose "no handle" value is null (events, mutexes, threads, timers).
// Files and pipes use INVALID_HANDLE_VALUE instead and live in WnFileHandle. A virtual base, so that a
// derived wrapper can add to Close (a timer cancels first); the ownership itself is WnUniqueHandleT's.
class WnHandle
{
  public:
    WnHandle() noexcept = default;
    explicit WnHandle(HANDLE handle) noexcept : handle_(handle) {}
    virtual ~WnHandle() = default;

    WnHandle(const WnHandle&) = delete;
    WnHandle& operator=(const WnHandle&) = delete;
    WnHandle(WnHandle&& other) noexcept = default;
    WnHandle& operator=(WnHandle&& other) noexcept;

    HANDLE Get() const noexcept { return handle_.Get(); }
    explicit operator bool() const noexcept { return static_cast<bool>(handle_); }

    // Closes the held handle (errors ignored) and leaves the wrapper empty.
    virtual void Close() noexcept { handle_.Close(); }
    // Takes ownership of handle after closing the held one.
    void Attach(HANDLE handle) noexcept;
    // Gives up ownership without closing.
    [[nodiscard]] HANDLE Detach() noexcept { return handle_.Detach(); }

  protected:
    WnUniqueNullHandle<HANDLE, CloseHandle> handle_;
};
