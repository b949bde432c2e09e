// The simulator's driver model in the test process, routed as this process's driver while the object lives:
// through the in-process port, or through the real pipe port and the simulator's pipe server. Fixtures that
// take the transport as configured go through the pipe when the environment says CORVEX_TEST_TRANSPORT=pipe.
#pragma once

#include "driverapi/DriverPort.h"
#include "driverapi/PipeDriverPort.h"
#include "simulator/DriverModel.h"
#include "simulator/InProcessPort.h"
#include "simulator/SimControl.h"
#include "simulator/SimPipeServer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>

class SimulatedDriver
{
  public:
    enum class Transport
    {
        InProcess,
        Pipe,
        AsConfigured,
    };

    explicit SimulatedDriver(uint32_t units = 2, Transport transport = Transport::InProcess)
        : model(units), control(model), inProcess_(model)
    {
        if (transport == Transport::Pipe || (transport == Transport::AsConfigured && PipeConfigured()))
        {
            pipeName_ = L"corvex-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(++pipeCounter_);
            pipeServer_ = std::make_unique<SimPipeServer>(model, control);
            pipePort_ = std::make_unique<PipeDriverPort>(L"\\\\.\\pipe\\" + pipeName_);
            routed_ = StartPipeServer();
            EXPECT_TRUE(routed_) << "the simulator's pipe server did not start";
        }
        Route();
    }
    ~SimulatedDriver() { SetDriverPortForTesting(nullptr); }
    SimulatedDriver(const SimulatedDriver&) = delete;
    SimulatedDriver& operator=(const SimulatedDriver&) = delete;

    static bool PipeConfigured()
    {
        const char* transport = std::getenv("CORVEX_TEST_TRANSPORT");
        return transport != nullptr && std::string(transport) == "pipe";
    }
    bool OverPipe() const { return pipePort_ != nullptr; }
    // False when the pipe server did not start.
    bool Routed() const { return routed_; }
    // Routes this process's driver to the model again, after a test pointed it elsewhere.
    void Route()
    {
        SetDriverPortForTesting(OverPipe() ? static_cast<DriverPort*>(pipePort_.get()) : &inProcess_);
    }

    // Over the pipe only: the server's end, which a test may stop and start again.
    SimPipeServer& PipeServer() { return *pipeServer_; }
    const std::wstring& PipeName() const { return pipeName_; }
    bool StartPipeServer() { return pipeServer_->Start(pipeName_) == ERROR_SUCCESS; }

    // The pipe server releases a handle when it sees the client's disconnect, a moment after the close.
    size_t SettledHandleCount(size_t expected) const
    {
        for (int i = 0; i < 200 && model.HandleCount() != expected; ++i)
            Sleep(10);
        return model.HandleCount();
    }

    DriverModel model;
    SimControl control;

  private:
    InProcessPort inProcess_;
    std::wstring pipeName_;
    std::unique_ptr<SimPipeServer> pipeServer_;
    std::unique_ptr<PipeDriverPort> pipePort_;
    bool routed_ = true;
    static inline unsigned pipeCounter_ = 0;
};

// Routes this process's driver through the pipe port at `path` while the object lives: to a simulator in
// another process, or to a test's own pipe server.
class ScopedPipePort
{
  public:
    explicit ScopedPipePort(const std::wstring& path) : port_(path) { SetDriverPortForTesting(&port_); }
    ~ScopedPipePort() { SetDriverPortForTesting(nullptr); }
    ScopedPipePort(const ScopedPipePort&) = delete;
    ScopedPipePort& operator=(const ScopedPipePort&) = delete;

  private:
    PipeDriverPort port_;
};
