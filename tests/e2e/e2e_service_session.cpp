#include "tests/e2e/e2e_service_session.h"

#include <algorithm>

ServiceSession::~ServiceSession()
{
    service_.Kill();
    (void)Control("quit");
    (void)simulator_.Wait(5000);
}

bool ServiceSession::Start()
{
    if (!StartSimulator(2) ||
        !service_.Start(BuildProgram(L"service\\corvexsvc.exe"), L"-console", DriverVariable()))
    {
        return false;
    }
    return WaitUntil([this] { return HasServer(); });
}

bool ServiceSession::StartSimulator(int units)
{
    return simulator_.Start(BuildProgram(L"simulator\\corvexsim.exe"),
                            L"-pipe " + pipe_ + L" -units " + std::to_wstring(units)) &&
           control_.Connect(pipe_, 10000) == ERROR_SUCCESS;
}

bool ServiceSession::RestartSimulator(int units)
{
    simulator_.Kill();
    return StartSimulator(units);
}

std::string ServiceSession::Control(const std::string& command)
{
    std::string reply;
    return control_.Send(command, &reply) == ERROR_SUCCESS ? reply : "error: no simulator";
}

nlohmann::json ServiceSession::Dump()
{
    const std::string reply = Control("dump");
    const size_t start = reply.find('{');
    return start == std::string::npos ? nlohmann::json()
                                      : nlohmann::json::parse(reply.substr(start), nullptr, false);
}

bool ServiceSession::HasServer()
{
    const nlohmann::json dump = Dump();
    if (!dump.contains("handles"))
    {
        return false;
    }
    return std::any_of(dump["handles"].begin(), dump["handles"].end(),
                       [](const nlohmann::json& handle)
                       { return handle.contains("role") && handle["role"] == 0; });
}

nlohmann::json ServiceSession::Unit(const std::string& serial)
{
    const nlohmann::json dump = Dump();
    if (dump.contains("units"))
    {
        for (const nlohmann::json& unit : dump["units"])
        {
            if (unit["serial"] == serial)
            {
                return unit;
            }
        }
    }
    return nullptr;
}
