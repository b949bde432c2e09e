#pragma once
#include "wn/WnCriticalSection.h"
#include "wn/WnDeviceNotification.h"

#include <cstddef>
#include <vector>

// Device-interface arrival and removal registrations of one window.
class WnDeviceNotificationList
{
  public:
    WnDeviceNotificationList() = default;
    ~WnDeviceNotificationList();
    WnDeviceNotificationList(const WnDeviceNotificationList&) = delete;
    WnDeviceNotificationList& operator=(const WnDeviceNotificationList&) = delete;

    // Registers recipient for arrivals and removals of interfaces of class interfaceClass.
    [[nodiscard]] DWORD Register(HWND recipient, const GUID& interfaceClass);
    void UnregisterAll();
    std::size_t Count();

  private:
    struct Registration
    {
        GUID interfaceClass;
        WnDeviceNotification notification;
    };

    WnCriticalSection lock_;
    std::vector<Registration> registrations_;
};
