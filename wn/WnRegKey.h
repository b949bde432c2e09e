#pragma once
#include "wn/WnUniqueHandleT.h"

#include <windows.h>

struct WnRegKeyTraits
{
    using Type = HKEY;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type key) noexcept { (void)RegCloseKey(key); }
};
using WnRegKey = WnUniqueHandleT<WnRegKeyTraits>;
