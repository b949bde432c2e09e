// Changes to the driver as a whole that tests and control commands make from outside the request path,
// and the inspection they use: the request log and the state dump. (Requests are answered in SimDriverState.)
#include "simulator/DriverModel.h"

#include "simulator/SimCatalogue.h"

#include <nlohmann/json.hpp>

#include <algorithm>

void DriverModel::SetDriverInfo(const NorvikDriverInfo& info)
{
    std::lock_guard<std::mutex> lock(mutex_);
    state_.info = info;
}

NorvikDriverInfo DriverModel::DriverInfo() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return state_.info;
}

NorvikStatus DriverModel::SetSampleRates(const std::vector<uint32_t>& rates)
{
    if (rates.empty() || rates.size() > NORVIK_MAX_SAMPLE_RATES)
        return NORVIK_STATUS_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(mutex_);
    state_.rates = rates;
    return NORVIK_STATUS_SUCCESS;
}

void DriverModel::SetCurrentRate(uint32_t rate)
{
    std::lock_guard<std::mutex> lock(mutex_);
    state_.currentRate = rate;
    (void)NotifyLocked(SimAudience::Clients, NORVIK_NOTIFY_RATE_OR_BUFFERS_CHANGED, nullptr, 0);
}

void DriverModel::SetBufferClasses(uint32_t streamingClass, uint32_t asioClass, uint32_t thirdValue)
{
    std::lock_guard<std::mutex> lock(mutex_);
    state_.streamingClass = streamingClass;
    state_.asioClass = asioClass;
    state_.thirdBufferValue = thirdValue;
    (void)NotifyLocked(SimAudience::Clients, NORVIK_NOTIFY_RATE_OR_BUFFERS_CHANGED, nullptr, 0);
}

void DriverModel::SetActivity(const uint32_t (&words)[6])
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::copy(std::begin(words), std::end(words), state_.activity);
}

NorvikStatus DriverModel::StartClient(uint32_t word)
{
    if (word < 3 || word > 8)
        return NORVIK_STATUS_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(mutex_);
    ++state_.activity[word - 3];
    return NotifyLocked(SimAudience::Server, NORVIK_NOTIFY_CLIENT_STARTED, nullptr, 0);
}

NorvikStatus DriverModel::StopClient(uint32_t word)
{
    if (word < 3 || word > 8)
        return NORVIK_STATUS_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_.activity[word - 3] == 0)
        return NORVIK_STATUS_INVALID_STATE;
    --state_.activity[word - 3];
    return NotifyLocked(SimAudience::Server, NORVIK_NOTIFY_CLIENT_STOPPED, nullptr, 0);
}

void DriverModel::SetErrorCounters(const uint32_t (&counters)[5])
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::copy(std::begin(counters), std::end(counters), state_.errorCounters);
}

NorvikStatus DriverModel::SetStreamingState(uint32_t state)
{
    if (state > NORVIK_STREAMING_USB11)
        return NORVIK_STATUS_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(mutex_);
    state_.state = state;
    return NORVIK_STATUS_SUCCESS;
}

void DriverModel::SetPolicy(uint32_t policy)
{
    std::lock_guard<std::mutex> lock(mutex_);
    state_.policy = policy;
}

SimDriverState DriverModel::Settings() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return state_;
}

std::vector<SimLogEntry> DriverModel::RequestLog() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return std::vector<SimLogEntry>(log_.Entries().begin(), log_.Entries().end());
}

std::string DriverModel::RequestLogJson() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return log_.ToJson();
}

void DriverModel::ClearRequestLog()
{
    std::lock_guard<std::mutex> lock(mutex_);
    log_.Clear();
}

std::string DriverModel::DumpJson() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const SimDriverState& s = state_;
    nlohmann::json out;
    out["present"] = present_;
    out["driverInfo"] = {{"interface", {s.info.interfaceMajor, s.info.interfaceMinor}},
                         {"version", {s.info.driverMajor, s.info.driverMinor, s.info.driverBuild}},
                         {"flags", s.info.flags}};
    out["sampleRates"] = {{"current", s.currentRate}, {"offered", s.rates}, {"announced", s.announcedRate}};
    NorvikBufferSizes sizes = s.BufferSizes();
    out["buffers"] = {
        {"streamingClass", s.streamingClass},   {"asioClass", s.asioClass},
        {"third", s.thirdBufferValue},          {"streamingLatencyUs", sizes.streamingLatencyUs},
        {"asioLatencyUs", sizes.asioLatencyUs}, {"asioLatencySamples", sizes.asioLatencySamples}};
    const std::string state = SimDriverState::StateName(s.state);
    out["streaming"] = {{"state", state.empty() ? "?" : state},
                        {"stateValue", s.state},
                        {"mode", s.mode},
                        {"lastFlag", s.lastCommandFlag},
                        {"activity", s.activity}};
    out["policy"] = s.policy;
    out["errorCounters"] = s.errorCounters;

    nlohmann::json handles = nlohmann::json::array();
    for (const auto& entry : handles_)
    {
        const Handle& h = entry.second;
        nlohmann::json item = {
            {"id", h.id},
            {"origin", h.origin},
            {"role", h.hasRole ? nlohmann::json(h.role) : nlohmann::json(nullptr)},
            {"events", {static_cast<bool>(h.messageEvent), static_cast<bool>(h.notificationEvent)}},
            {"messages", h.messages.size()},
            {"notifications", h.notifications.size()}};
        if (const SimUnit* unit = h.boundUnit ? FindUnitByInstance(h.boundUnit) : nullptr)
            item["bound"] = {unit->Key1(), unit->Key2()};
        else if (h.boundUnit)
            item["bound"] = "removed";
        handles.push_back(item);
    }
    out["handles"] = handles;

    nlohmann::json units = nlohmann::json::array();
    for (const auto& unit : units_)
    {
        nlohmann::json item;
        unit->DumpTo(item);
        units.push_back(item);
    }
    out["units"] = units;

    nlohmann::json faults = nlohmann::json::array();
    for (const auto& entry : faults_)
    {
        faults.push_back({{"request", RequestName(entry.first)},
                          {"status", StatusText(entry.second.status)},
                          {"times", entry.second.times},
                          {"outputBytes", entry.second.output.size()}});
    }
    out["faults"] = faults;
    return out.dump();
}
