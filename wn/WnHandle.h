#pragma once
#include <windows.h>

// Owns one kernel object handle whose "no handle" value is null (events, mutexes, threads, timers).
// Files and pipes use INVALID_HANDLE_VALUE instead and live in WnFileHandle.
class WnHandle
{
  public:
    WnHandle() noexcept = default;
    explicit WnHandle(HANDLE handle) noexcept : handle_(handle) {}
    virtual ~WnHandle();

    WnHandle(const WnHandle&) = delete;
    WnHandle& operator=(const WnHandle&) = delete;
    WnHandle(WnHandle&& other) noexcept;
    WnHandle& operator=(WnHandle&& other) noexcept;

    HANDLE Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }

    // Closes the held handle (errors ignored) and leaves the wrapper empty.
    virtual void Close() noexcept;
    // Takes ownership of handle after closing the held one.
    void Attach(HANDLE handle) noexcept;
    // Gives up ownership without closing.
    [[nodiscard]] HANDLE Detach() noexcept;

  protected:
    HANDLE handle_ = nullptr;
};
