#pragma once
#include "wn/WnCriticalSection.h"

// Holds a critical section for the lifetime of a scope.
class WnLock
{
  public:
    explicit WnLock(WnCriticalSection& section) noexcept : section_(section) { section_.Enter(); }
    ~WnLock() { section_.Leave(); }
    WnLock(const WnLock&) = delete;
    WnLock& operator=(const WnLock&) = delete;

  private:
    WnCriticalSection& section_;
};
