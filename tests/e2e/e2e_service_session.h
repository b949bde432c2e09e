// corvexsim.exe on a pipe of the test's own and corvexsvc.exe -console told to use it, with the simulator's
// control pipe and its state dump at hand.
#pragma once

#include "simulator/SimControlClient.h"
#include "tests/service/ChildProcess.h"

#include <nlohmann/json.hpp>

#include <string>

class ServiceSession
{
  public:
    explicit ServiceSession(std::wstring pipe) : pipe_(std::move(pipe)) {}
    // Ends the service and the simulator (the simulator frees the service's role when it goes).
    ~ServiceSession();
    ServiceSession(const ServiceSession&) = delete;
    ServiceSession& operator=(const ServiceSession&) = delete;

    // Starts the simulator with its default units and then the service; true once the service holds the
    // server role.
    bool Start();
    // Ends the simulator without a word, as a crashed driver goes, and starts a new one with `units` units
    // on the same pipe.
    bool RestartSimulator(int units);
    // One control command to the simulator; its reply line ("ok ..." or "error: ...").
    std::string Control(const std::string& command);
    // The simulator's whole state; null when it does not answer.
    nlohmann::json Dump();
    bool HasServer();
    // The unit's part of the dump; null when no unit has the serial.
    nlohmann::json Unit(const std::string& serial);

    // "CORVEX_DRIVER=pipe:NAME": how the programs find this simulator.
    std::wstring DriverVariable() const { return L"CORVEX_DRIVER=pipe:" + pipe_; }
    const std::wstring& Pipe() const { return pipe_; }
    BackgroundChild& Service() { return service_; }

  private:
    bool StartSimulator(int units);

    std::wstring pipe_;
    BackgroundChild simulator_;
    BackgroundChild service_;
    SimControlClient control_;
};
