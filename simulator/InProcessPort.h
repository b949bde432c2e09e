// The driver port of tests: every open makes a handle of a DriverModel in the same process.
#pragma once

#include "driverapi/DriverPort.h"
#include "simulator/DriverModel.h"

#include <cstdint>

class InProcessPort : public DriverPort
{
  public:
    // `origin` marks the handles this port opens (see DriverModel::OpenHandle); two ports over one model
    // with different origins play two processes. The model must outlive the port and its links.
    explicit InProcessPort(DriverModel& model, uint32_t origin = 0) : model_(model), origin_(origin) {}

    // ERROR_FILE_NOT_FOUND for any path other than the driver's, or while the model is absent.
    [[nodiscard]] NorvikStatus Open(const wchar_t* path, std::unique_ptr<DriverLink>* link) override;

  private:
    DriverModel& model_;
    uint32_t origin_;
};
