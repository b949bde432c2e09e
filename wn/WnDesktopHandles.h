#pragma once
#include "wn/WnUniqueHandleT.h"

#include <windows.h>

struct WnWindowStationTraits
{
    using Type = HWINSTA;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type station) noexcept { (void)CloseWindowStation(station); }
};
using WnWindowStation = WnUniqueHandleT<WnWindowStationTraits>;

struct WnDesktopTraits
{
    using Type = HDESK;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type desktop) noexcept { (void)CloseDesktop(desktop); }
};
using WnDesktop = WnUniqueHandleT<WnDesktopTraits>;
