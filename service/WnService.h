#pragma once
#include <windows.h>

// The status handle that the control manager gives a registered service (null until registered and always
// in console mode).
class WnService
{
  public:
    WnService() noexcept = default;
    virtual ~WnService() = default;

    WnService(const WnService&) = delete;
    WnService& operator=(const WnService&) = delete;

    SERVICE_STATUS_HANDLE Get() const noexcept { return handle_; }
    // Nothing is released for the handle replaced, nor at destruction: the control manager owns status
    // handles and takes them back when the service stops.
    void Attach(SERVICE_STATUS_HANDLE handle) noexcept { handle_ = handle; }

  private:
    SERVICE_STATUS_HANDLE handle_ = nullptr;
};
