// Every open of a test goes to one in-process driver model.
#pragma once

#include "driverapi/DriverPort.h"
#include "driverapi/NorvikIoctl.h"
#include "simulator/DriverModel.h"
#include "simulator/InProcessPort.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

class ModelTest : public ::testing::Test
{
  protected:
    explicit ModelTest(uint32_t units = 1) : model_(units), port_(model_) {}
    void SetUp() override { SetDriverPortForTesting(&port_); }
    void TearDown() override { SetDriverPortForTesting(nullptr); }

    DriverModel model_;
    InProcessPort port_;
};

template <class T> std::vector<uint8_t> RecordBytes(const T& record)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    return std::vector<uint8_t>(bytes, bytes + sizeof(T));
}

// A device list as the model reports it now.
inline NorvikDeviceList ModelDeviceList(const DriverModel& model)
{
    NorvikDeviceList list{};
    for (const NorvikDeviceRecord& record : model.Units())
    {
        if (list.count < NORVIK_MAX_DEVICES)
            list.devices[list.count++] = record;
    }
    return list;
}
