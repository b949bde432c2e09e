#include "service/WnRegistrationList.h"
#include "wn/WnLock.h"

#include <utility>

DWORD WnRegistrationList::Add(HANDLE recipient, const GUID& guid, DWORD flags)
{
    WnDeviceNotification notification;
    const DWORD error = WnRegisterDeviceInterface(recipient, guid, flags, notification);
    if (error != ERROR_SUCCESS)
        return error;
    WnLock lock(lock_);
    registrations_.push_back(Registration{guid, std::move(notification)});
    return ERROR_SUCCESS;
}

void WnRegistrationList::RemoveAll()
{
    WnLock lock(lock_);
    // Each node unregisters its notification as it goes; failures are ignored.
    while (!registrations_.empty())
        registrations_.pop_front();
}

size_t WnRegistrationList::Count()
{
    WnLock lock(lock_);
    return registrations_.size();
}
