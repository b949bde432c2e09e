#include "tests/e2e/e2e_support.h"
#include "tests/service/ChildProcess.h"

#include <algorithm>

std::string SimCommand(SimControlClient& control, const std::string& command)
{
    std::string reply;
    return control.Send(command, &reply) == ERROR_SUCCESS ? reply : "error: no simulator";
}

nlohmann::json SimDump(SimControlClient& control)
{
    const std::string reply = SimCommand(control, "dump");
    const size_t start = reply.find('{');
    return start == std::string::npos ? nlohmann::json()
                                      : nlohmann::json::parse(reply.substr(start), nullptr, false);
}

bool HasServer(const nlohmann::json& dump)
{
    if (!dump.is_object() || !dump.contains("handles"))
    {
        return false;
    }
    return std::any_of(dump["handles"].begin(), dump["handles"].end(),
                       [](const nlohmann::json& handle)
                       { return handle.value("role", nlohmann::json()) == 0; });
}

nlohmann::json SimUnit(const nlohmann::json& dump, const std::string& serial)
{
    if (dump.is_object() && dump.contains("units"))
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

bool IsConfigured(const nlohmann::json& unit)
{
    return unit.is_object() && unit["channelNames"].is_object() && unit["wdmEndpoints"].is_object();
}

bool WaitForNotification(NorvikClient& client, uint32_t code, std::vector<uint32_t>* seen)
{
    return WaitUntil(
        [&]
        {
            NorvikMessage message;
            while (client.ReceiveNotification(&message) == NORVIK_STATUS_SUCCESS)
            {
                seen->push_back(message.code);
                if (message.code == code)
                {
                    return true;
                }
            }
            return false;
        });
}
