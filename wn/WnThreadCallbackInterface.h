#pragma once
#include <windows.h>

// The body of a WnThread.
class WnThreadCallbackInterface
{
  public:
    virtual ~WnThreadCallbackInterface() = default;
    // Runs on the new thread; the result becomes the thread's exit code.
    virtual DWORD Run() = 0;
};
