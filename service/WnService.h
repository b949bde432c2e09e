#pragma once
#include <windows.h>

// The status handle that the control manager gives a registered service (null until registered and always
// in console mode). The handle needs no release.
class WnService
{
  public:
    WnService() noexcept = default;
    virtual ~WnService() = default;

    WnService(const WnService&) = delete;
    WnService& operator=(const WnService&) = delete;

    SERVICE_STATUS_HANDLE Get() const noexcept { return handle_; }
    void Set(SERVICE_STATUS_HANDLE handle) noexcept { handle_ = handle; }

  private:
    SERVICE_STATUS_HANDLE handle_ = nullptr;
};
