// Helpers of the end-to-end tests that run corvexsim.exe and the service: the simulator's state through its
// control pipe, and a client's notifications.
#pragma once

#include "driverapi/NorvikClient.h"
#include "simulator/SimControlClient.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <vector>

// One control command; its reply line ("ok ..." or "error: ..."), "error: no simulator" when unsent.
std::string SimCommand(SimControlClient& control, const std::string& command);
// The simulator's whole state ("dump"); null when it does not answer.
nlohmann::json SimDump(SimControlClient& control);
// Whether some handle holds the server role.
bool HasServer(const nlohmann::json& dump);
// The unit with this serial; null when it is not plugged.
nlohmann::json SimUnit(const nlohmann::json& dump, const std::string& serial);
// Whether the service has given the unit its channel names and endpoint table.
bool IsConfigured(const nlohmann::json& unit);
// Collects the client's notifications into `seen` until `code` arrives; false when it does not.
bool WaitForNotification(NorvikClient& client, uint32_t code, std::vector<uint32_t>* seen);
