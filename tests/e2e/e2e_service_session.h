// corvexsim.exe on a pipe of the test's own and corvexsvc.exe -console told to use it, for tests that run
// further programs against the two; the simulator's state through the shared end-to-end helpers.
#pragma once

#include "simulator/SimControlClient.h"
#include "tests/e2e/e2e_support.h"
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

    // Starts the simulator with its two default units and then the service; true once the service holds
    // the server role.
    bool Start();
    std::string Control(const std::string& command) { return SimCommand(control_, command); }
    nlohmann::json Dump() { return SimDump(control_); }
    bool HasServer() { return ::HasServer(Dump()); }
    nlohmann::json Unit(const std::string& serial) { return SimUnit(Dump(), serial); }

    // "CORVEX_DRIVER=pipe:NAME": how the programs find this simulator.
    std::wstring DriverVariable() const { return L"CORVEX_DRIVER=pipe:" + pipe_; }
    const std::wstring& Pipe() const { return pipe_; }
    BackgroundChild& Service() { return service_; }

  private:
    std::wstring pipe_;
    BackgroundChild simulator_;
    BackgroundChild service_;
    SimControlClient control_;
};
