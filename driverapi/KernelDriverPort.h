// The port a user on Windows runs: the kernel driver's device path, overlapped device I/O.
#pragma once

#include "driverapi/DriverPort.h"

class KernelDriverPort final : public DriverPort
{
  public:
    [[nodiscard]] NorvikStatus Open(const wchar_t* path, std::unique_ptr<DriverLink>* link) override;
};
