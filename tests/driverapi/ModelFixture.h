// Every open of a test goes to one driver model: directly through the in-process port, or, when the
// environment says CORVEX_TEST_TRANSPORT=pipe, through the real pipe port and the simulator's pipe server.
#pragma once

#include "driverapi/DriverPort.h"
#include "driverapi/NorvikIoctl.h"
#include "driverapi/PipeDriverPort.h"
#include "simulator/DriverModel.h"
#include "simulator/InProcessPort.h"
#include "simulator/SimControl.h"
#include "simulator/SimPipeServer.h"

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

class ModelTest : public ::testing::Test
{
  protected:
    explicit ModelTest(uint32_t units = 1) : model_(units), port_(model_), control_(model_) {}

    static bool OverPipe()
    {
        const char* transport = std::getenv("CORVEX_TEST_TRANSPORT");
        return transport != nullptr && std::string(transport) == "pipe";
    }

    // The pipe server releases a handle when it sees the client's disconnect, a moment after the close.
    size_t SettledHandleCount(size_t expected) const
    {
        for (int i = 0; i < 200 && model_.HandleCount() != expected; ++i)
            Sleep(10);
        return model_.HandleCount();
    }

    void SetUp() override
    {
        if (OverPipe())
        {
            const std::wstring name = L"corvex-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                      std::to_wstring(++pipeCounter_);
            pipeServer_ = std::make_unique<SimPipeServer>(model_, control_);
            ASSERT_EQ(0u, pipeServer_->Start(name));
            pipePort_ = std::make_unique<PipeDriverPort>(L"\\\\.\\pipe\\" + name);
            SetDriverPortForTesting(pipePort_.get());
            return;
        }
        SetDriverPortForTesting(&port_);
    }

    void TearDown() override
    {
        SetDriverPortForTesting(nullptr);
        pipePort_.reset();
        pipeServer_.reset();
    }

    DriverModel model_;
    InProcessPort port_;
    SimControl control_;
    std::unique_ptr<SimPipeServer> pipeServer_;
    std::unique_ptr<PipeDriverPort> pipePort_;
    static inline unsigned pipeCounter_ = 0;
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
