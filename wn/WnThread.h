#pragma once
#include "wn/WnHandle.h"
#include "wn/WnThreadCallbackInterface.h"

// A thread that runs a callback object. Closing or destroying the wrapper does not stop the thread.
class WnThread : public WnHandle
{
  public:
    WnThread() noexcept = default;
    ~WnThread() override = default;
    WnThread(WnThread&& other) noexcept;
    WnThread& operator=(WnThread&& other) noexcept;

    // Returns 183 (ERROR_ALREADY_EXISTS) while a thread is held and leaves that thread alone.
    // The callback must outlive the thread.
    [[nodiscard]] DWORD Start(WnThreadCallbackInterface* callback, unsigned stackSize = 0,
                              unsigned creationFlags = 0);
    // Returns 0 once the thread has ended (the wrapper is then empty), 258 (WAIT_TIMEOUT) while it runs.
    [[nodiscard]] DWORD Wait(DWORD milliseconds);

    void Close() noexcept override;
    DWORD GetId() const noexcept { return threadId_; }

  private:
    DWORD threadId_ = 0;
};
