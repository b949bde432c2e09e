#include "service/WnRegistrationList.h"
#include "wn/WnLastError.h"
#include "wn/WnLock.h"

#include <dbt.h>
#include <utility>

DWORD WnRegistrationList::Add(HANDLE recipient, const GUID& guid, DWORD flags)
{
    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    static_assert(sizeof(filter) == 32, "device-interface filter");
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = guid;
    WnDeviceNotification notification(RegisterDeviceNotificationW(recipient, &filter, flags));
    if (!notification)
    {
        return WnLastError();
    }
    WnLock lock(lock_);
    registrations_.push_back(Registration{guid, std::move(notification)});
    return ERROR_SUCCESS;
}

void WnRegistrationList::RemoveAll()
{
    WnLock lock(lock_);
    // Each node unregisters its notification as it goes; failures are ignored.
    while (!registrations_.empty())
    {
        registrations_.pop_front();
    }
}

size_t WnRegistrationList::Count()
{
    WnLock lock(lock_);
    return registrations_.size();
}
