// The one seam between the programs and whatever answers their driver requests: the kernel driver, the
// simulator behind a named pipe, or a model inside a test process. Chosen once per process.
#pragma once

#include "driverapi/NorvikStatus.h"

#include <windows.h>

#include <cstdint>
#include <memory>

// One open handle on the driver.
class DriverLink
{
  public:
    virtual ~DriverLink() = default;

    // Runs one request to completion. ioEvent is the caller's manual-reset event for overlapped I/O (ports
    // that do not need it ignore it). *bytesReturned never exceeds outSize.
    [[nodiscard]] virtual NorvikStatus Ioctl(uint32_t code, const void* in, uint32_t inSize, void* out,
                                             uint32_t outSize, uint32_t* bytesReturned, HANDLE ioEvent) = 0;
};

class DriverPort
{
  public:
    virtual ~DriverPort() = default;

    // Opens a new handle on the device path ("\\.\NAME"); 0 or a Win32 error (2 when there is no driver).
    [[nodiscard]] virtual NorvikStatus Open(const wchar_t* path, std::unique_ptr<DriverLink>* link) = 0;
};

// The process's port: CORVEX_DRIVER unset means the kernel driver, "pipe" the pipe \\.\pipe\corvex-driver,
// "pipe:NAME" the pipe \\.\pipe\NAME.
DriverPort& CurrentDriverPort();

// The port a CORVEX_DRIVER value selects (nullptr: unset). Values other than "pipe" and "pipe:NAME" select
// the kernel driver; so does a NAME with a path separator or "..".
std::unique_ptr<DriverPort> MakeDriverPort(const wchar_t* choice);

// Tests only: routes every later open through `port` (nullptr goes back to the environment's choice). The
// port must outlive every context opened through it.
void SetDriverPortForTesting(DriverPort* port);
