#pragma once
#include "wn/WnUniqueHandleT.h"

#include <windows.h>

// One registration made by RegisterDeviceNotificationW.
using WnDeviceNotification = WnUniqueNullHandle<HDEVNOTIFY, UnregisterDeviceNotification>;

// Registers recipient for arrivals and removals of interfaces of class interfaceClass. flags:
// DEVICE_NOTIFY_WINDOW_HANDLE for a window, DEVICE_NOTIFY_SERVICE_HANDLE for a service status handle.
// Returns 0 or the system error; notification is left empty on failure.
[[nodiscard]] DWORD WnRegisterDeviceInterface(HANDLE recipient, const GUID& interfaceClass, DWORD flags,
                                              WnDeviceNotification& notification);
