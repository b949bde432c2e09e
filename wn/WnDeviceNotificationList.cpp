#include "wn/WnDeviceNotificationList.h"
#include "wn/WnLastError.h"
#include "wn/WnLock.h"

#include <dbt.h>
#include <utility>

static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32, "device-interface filter is 32 bytes");

WnDeviceNotificationList::~WnDeviceNotificationList()
{
    UnregisterAll();
}

DWORD WnDeviceNotificationList::Register(HWND recipient, const GUID& interfaceClass)
{
    Registration entry{interfaceClass, WnDeviceNotification()};

    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = interfaceClass;
    entry.notification.Attach(RegisterDeviceNotificationW(recipient, &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
    if (!entry.notification)
    {
        return WnLastError();
    }

    WnLock lock(lock_);
    registrations_.push_back(std::move(entry));
    return ERROR_SUCCESS;
}

void WnDeviceNotificationList::UnregisterAll()
{
    WnLock lock(lock_);
    // Each entry unregisters its notification handle as it goes.
    registrations_.clear();
}

std::size_t WnDeviceNotificationList::Count()
{
    WnLock lock(lock_);
    return registrations_.size();
}
