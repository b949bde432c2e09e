#pragma once
#include <windows.h>

// Receives device-change events (DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE) on the notificator's thread.
class WnPnPNotificatorCallbackInterface
{
  public:
    virtual ~WnPnPNotificatorCallbackInterface() = default;
    virtual void OnDeviceChange(DWORD eventType, void* eventData) = 0;
};

// Lets a class receive device-change events in a member function. Without a target it does nothing.
template <class T> class WnPnPNotificatorCallbackForwarderT final : public WnPnPNotificatorCallbackInterface
{
  public:
    using Method = void (T::*)(DWORD eventType, void* eventData);

    WnPnPNotificatorCallbackForwarderT(T* object, Method method) noexcept : object_(object), method_(method)
    {
    }

    void OnDeviceChange(DWORD eventType, void* eventData) override
    {
        if (object_ != nullptr)
            (object_->*method_)(eventType, eventData);
    }

  private:
    T* object_; // not owned
    Method method_;
};
