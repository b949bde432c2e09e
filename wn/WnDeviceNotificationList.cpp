#include "wn/WnDeviceNotificationList.h"
#include "wn/WnLock.h"

#include <utility>

WnDeviceNotificationList::~WnDeviceNotificationList()
{
    UnregisterAll();
}

DWORD WnDeviceNotificationList::Register(HWND recipient, const GUID& interfaceClass)
{
    Registration entry{interfaceClass, WnDeviceNotification()};
    const DWORD error =
        WnRegisterDeviceInterface(recipient, interfaceClass, DEVICE_NOTIFY_WINDOW_HANDLE, entry.notification);
    if (error != ERROR_SUCCESS)
        return error;

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
