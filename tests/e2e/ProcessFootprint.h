// What a process holds, read from outside: its handle count, windows and private bytes. GetProcessHandleCount
// is no use under Wine (always 0), so handles are counted in the system's handle table.
#pragma once

#include <windows.h>

#include <cstdint>

struct ProcessFootprint
{
    uint32_t handles = 0;
    // Its windows on this desktop, children included: window handles are not in the handle table.
    uint32_t windows = 0;
    uint64_t privateBytes = 0;
};

// false when either figure cannot be read.
bool ReadFootprint(HANDLE process, ProcessFootprint* footprint);
