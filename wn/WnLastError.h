#pragma once
#include <windows.h>

// The calling thread's last error as a status; never 0, so a failure can not be reported as success.
inline DWORD WnLastError() noexcept
{
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}
