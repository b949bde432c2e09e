#pragma once
#include "wn/WnUniqueHandleT.h"

#include <windows.h>

// Files, devices and pipes: CreateFileW and CreateNamedPipeW report failure as INVALID_HANDLE_VALUE.
struct WnFileHandleTraits
{
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) noexcept { (void)CloseHandle(handle); }
};
using WnFileHandle = WnUniqueHandleT<WnFileHandleTraits>;
