#pragma once
#include "wn/WnUniqueHandleT.h"

#include <windows.h>

// One registration made by RegisterDeviceNotificationW.
struct WnDeviceNotificationTraits
{
    using Type = HDEVNOTIFY;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type notification) noexcept { (void)UnregisterDeviceNotification(notification); }
};
using WnDeviceNotification = WnUniqueHandleT<WnDeviceNotificationTraits>;
