// The port that reaches the driver simulator over a message-mode named pipe; one connection is one driver
// handle. The wire format is in PipeWire.h.
#pragma once

#include "driverapi/DriverPort.h"
#include "driverapi/PipeWire.h"

#include <string>

class PipeDriverPort final : public DriverPort
{
  public:
    // pipePath is the full pipe path, for example "\\.\pipe\corvex-driver".
    explicit PipeDriverPort(std::wstring pipePath) : pipePath_(std::move(pipePath)) {}

    // Every open of the driver's device path connects to the pipe; any other path yields 2
    // (ERROR_FILE_NOT_FOUND), as it would on the kernel. A missing pipe yields 2 as a missing driver does; a
    // busy pipe is retried for up to 2 s.
    [[nodiscard]] NorvikStatus Open(const wchar_t* path, std::unique_ptr<DriverLink>* link) override;

    const std::wstring& PipePath() const { return pipePath_; }

  private:
    std::wstring pipePath_;
};
