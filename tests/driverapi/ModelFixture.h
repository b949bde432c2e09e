// Every open of a test goes to one driver model, in process or through the pipe as the environment says.
#pragma once

#include "driverapi/NorvikIoctl.h"
#include "tests/common/SimulatedDriver.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

class ModelTest : public ::testing::Test
{
  protected:
    explicit ModelTest(uint32_t units = 1) : driver_(units, SimulatedDriver::Transport::AsConfigured) {}

    bool OverPipe() const { return driver_.OverPipe(); }
    size_t SettledHandleCount(size_t expected) const { return driver_.SettledHandleCount(expected); }
    void SetUp() override { ASSERT_TRUE(driver_.Routed()); }

    SimulatedDriver driver_;
    DriverModel& model_ = driver_.model;
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
