// The Driver Info page: the kernel driver's version, build type and interface version.
#pragma once

#include "cpl/framework/FormBaseImpl.h"
#include "driverapi/NorvikClient.h"
#include "driverapi/NorvikIoctl.h"
#include "resources/corvexcpl.h"

#include <string>

namespace driver_info
{
// The page's text for one driver information record.
std::wstring DriverInfoText(const NorvikDriverInfo& info);
} // namespace driver_info

class FormDrvInfo : public FormBaseImpl<FormDrvInfo>
{
  public:
    static constexpr int kDialogId = IDD_DRIVER_INFO;

    // `client` is the process's client; it outlives the page.
    explicit FormDrvInfo(NorvikClient& client) : client_(client) {}

    void Refresh() override;

  private:
    NorvikClient& client_;
};
