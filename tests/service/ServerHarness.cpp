#include "ServerHarness.h"

#include <cstdio>

std::wstring UniqueSerial(int index)
{
    return L"T" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(index);
}

std::wstring UnitKeyPath(const std::wstring& serial)
{
    return L"Software\\MERIDANT\\corvex\\Devices\\" + serial;
}

void DeleteUnitKey(const std::wstring& serial)
{
    (void)RegDeleteKeyW(HKEY_LOCAL_MACHINE, UnitKeyPath(serial).c_str());
}

void HookLog::Add(const std::string& entry)
{
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.push_back(entry);
}

std::vector<std::string> HookLog::Take()
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> entries;
    entries.swap(entries_);
    return entries;
}

namespace
{
std::string Step(const char* hook, uint32_t current, uint32_t target)
{
    return std::string(hook) + " " + std::to_string(current) + ">" + std::to_string(target);
}
} // namespace

NorvikStatus RecordingCtrl::BeforeStreamingChange(uint32_t current, uint32_t target, uint32_t)
{
    log_.Add(Step("Before", current, target));
    return target == refuseTarget ? refusal : NORVIK_STATUS_SUCCESS;
}

void RecordingCtrl::AfterStreamingChange(uint32_t current, uint32_t target, uint32_t)
{
    log_.Add(Step("After", current, target));
}

void RecordingCtrl::StreamingChangeFailed(uint32_t current, uint32_t target, NorvikStatus error)
{
    char status[16];
    std::snprintf(status, sizeof(status), " %08X", static_cast<unsigned>(error));
    log_.Add(Step("Failed", current, target) + status);
}

NorvikStatus RecordingCtrl::BeforeStreamingUp()
{
    log_.Add("Up");
    return upRefusal;
}

NorvikStatus RecordingCtrl::OnDeviceOption(uint8_t value)
{
    log_.Add("Option " + std::to_string(value));
    return optionResult;
}

ServerHarness::ServerHarness(int units)
{
    for (int i = 0; i < units; ++i)
    {
        (void)Plug();
    }
}

ServerHarness::~ServerHarness()
{
    Stop();
    server_.reset(); // its handles go before the model does
    client.CloseAll();
    for (const std::wstring& serial : serials_)
    {
        DeleteUnitKey(serial);
    }
}

void ServerHarness::StartOwned(std::unique_ptr<NorvikServer> server)
{
    server_ = std::move(server);
    (void)loop.Start(*server_, client);
}

NorvikStatus ServerHarness::Request(uint32_t code, const void* payload, uint32_t size,
                                    uint32_t expectedReplyCode, NorvikMessage* reply)
{
    NorvikMessage own;
    return client.Request(code, payload, size, 10000, expectedReplyCode, reply != nullptr ? reply : &own);
}

std::vector<uint32_t> ServerHarness::TakeNotifications()
{
    std::vector<uint32_t> codes;
    NorvikMessage message;
    while (client.ReceiveNotification(&message) == NORVIK_STATUS_SUCCESS)
    {
        codes.push_back(message.code);
    }
    return codes;
}

NorvikStatus ServerHarness::Plug(std::wstring serial)
{
    SimUnitSpec unitSpec;
    unitSpec.serial = serial.empty() ? UniqueSerial(static_cast<int>(serials_.size())) : std::move(serial);
    DeleteUnitKey(unitSpec.serial);
    serials_.push_back(unitSpec.serial);
    return model.PlugUnit(unitSpec);
}

NorvikDeviceKeys ServerHarness::Keys(size_t index) const
{
    NorvikDeviceKeys keys = {};
    (void)model.FindUnitBySerial(serials_[index], &keys);
    return keys;
}
