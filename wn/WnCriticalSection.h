#pragma once
#include <windows.h>

// A recursive lock within one process. Neither copyable nor movable: the section must stay where it was
// initialised.
class WnCriticalSection
{
  public:
    WnCriticalSection() noexcept { InitializeCriticalSection(&section_); }
    ~WnCriticalSection() { DeleteCriticalSection(&section_); }
    WnCriticalSection(const WnCriticalSection&) = delete;
    WnCriticalSection& operator=(const WnCriticalSection&) = delete;

    void Enter() noexcept { EnterCriticalSection(&section_); }
    void Leave() noexcept { LeaveCriticalSection(&section_); }

  private:
    CRITICAL_SECTION section_;
};
