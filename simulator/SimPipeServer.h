// Serves a DriverModel on \\.\pipe\NAME (one connection is one driver handle) and its control commands on
// \\.\pipe\NAME-control (one line in, one line out, as many lines as the client sends).
#pragma once

#include "simulator/DriverModel.h"
#include "simulator/SimControl.h"
#include "simulator/SimPipeListener.h"
#include "wn/WnEvent.h"

#include <mutex>
#include <string>

class SimPipeServer
{
  public:
    SimPipeServer(DriverModel& model, SimControl& control) : model_(model), control_(control) {}
    ~SimPipeServer() { Stop(); }

    // Starts both pipes; a second server on the same name fails with ERROR_ACCESS_DENIED.
    [[nodiscard]] DWORD Start(const std::wstring& name);
    void Stop();

    // Runs one control command as a control connection would (serialised with them); a "quit" run here
    // sets no event: the caller knows.
    std::string Execute(const std::string& line);
    // Signalled once a "quit" command has been answered over the control pipe.
    HANDLE QuitEvent() const { return quitEvent_.Get(); }

    // Requests larger than this (input or output) are refused without reaching the model.
    static constexpr uint32_t kMaxRecord = 64 * 1024;
    static constexpr uint32_t kMaxControlLine = 4096;

  private:
    void ServeDriver(SimPipeConnection& connection);
    void ServeControl(SimPipeConnection& connection);

    DriverModel& model_;
    SimControl& control_;
    std::mutex controlMutex_;
    WnEvent quitEvent_;
    SimPipeListener driverPipe_;
    SimPipeListener controlPipe_;
};
