#pragma once
#include "wn/WnHandle.h"

class WnMutex : public WnHandle
{
  public:
    // Closes any held mutex, then creates or opens the named one (name may be null).
    // Returns 183 (ERROR_ALREADY_EXISTS) when the name already existed; the handle is kept all the same.
    [[nodiscard]] DWORD Create(SECURITY_ATTRIBUTES* security, bool initiallyOwned, const wchar_t* name);
    // Releases ownership taken by the initial owner flag or a wait.
    [[nodiscard]] DWORD Unlock();
};
static_assert(sizeof(WnMutex) == sizeof(HANDLE) + sizeof(void*), "WnMutex holds one handle");
