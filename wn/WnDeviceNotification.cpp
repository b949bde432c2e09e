#include "wn/WnDeviceNotification.h"
#include "wn/WnLastError.h"

#include <dbt.h>

static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32, "device-interface filter is 32 bytes");

DWORD WnRegisterDeviceInterface(HANDLE recipient, const GUID& interfaceClass, DWORD flags,
                                WnDeviceNotification& notification)
{
    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = interfaceClass;
    notification.Attach(RegisterDeviceNotificationW(recipient, &filter, flags));
    return notification ? ERROR_SUCCESS : WnLastError();
}
