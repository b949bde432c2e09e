// Tells every top-level window that a unit's device interface arrived or went, as Windows does for a real
// unit: WM_DEVICECHANGE with a DEV_BROADCAST_DEVICEINTERFACE of the driver's interface class, on every
// desktop of every window station this process may open.
#pragma once

#include "driverapi/NorvikIoctl.h"

void BroadcastDeviceInterfaceChange(bool arrived, const NorvikDeviceRecord& record);
