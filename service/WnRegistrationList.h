#pragma once
#include "wn/WnCriticalSection.h"
#include "wn/WnDeviceNotification.h"

#include <windows.h>

#include <list>

// Device-interface notification registrations for one recipient (a window or a service status handle).
// The list is guarded for changes only; the system's registration call runs outside the lock.
class WnRegistrationList
{
  public:
    WnRegistrationList() = default;
    ~WnRegistrationList() { RemoveAll(); }

    WnRegistrationList(const WnRegistrationList&) = delete;
    WnRegistrationList& operator=(const WnRegistrationList&) = delete;

    // flags: DEVICE_NOTIFY_WINDOW_HANDLE or DEVICE_NOTIFY_SERVICE_HANDLE. Returns 0 or the system error;
    // nothing is kept on failure.
    [[nodiscard]] DWORD Add(HANDLE recipient, const GUID& guid, DWORD flags);
    // Unregisters (failures ignored) and drops every registration.
    void RemoveAll();
    size_t Count();

  private:
    struct Registration
    {
        GUID guid;
        WnDeviceNotification notification;
    };

    WnCriticalSection lock_;
    std::list<Registration> registrations_;
};
