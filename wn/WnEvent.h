#pragma once
#include "wn/WnHandle.h"

class WnEvent : public WnHandle
{
  public:
    // Replaces any held event by a new unnamed, non-signalled event with default security.
    [[nodiscard]] DWORD Create(bool manualReset);
    [[nodiscard]] DWORD Set();
    [[nodiscard]] DWORD Reset();
};
static_assert(sizeof(WnEvent) == sizeof(HANDLE) + sizeof(void*), "WnEvent holds one handle");
