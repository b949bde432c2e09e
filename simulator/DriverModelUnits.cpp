// Units: plugging, the streaming selection, the ASIO channel lists and the unit-level control changes.
#include "simulator/DriverModel.h"

#include <algorithm>
#include <cstring>

namespace
{
// Keys are opaque to the programs; these make them easy to recognise in logs.
constexpr uint32_t kKey1Base = 0x00001000;
constexpr uint32_t kKey2Base = 0xC0DE0000;

// A channel identifier: the unit instance, then the direction and the channel's position in its unit.
NorvikChannelId MakeChannelId(uint32_t instance, bool outputs, size_t position)
{
    return NorvikChannelId{instance, (outputs ? 0x10000u : 0u) | static_cast<uint32_t>(position)};
}
} // namespace

NorvikStatus DriverModel::PlugUnit(const SimUnitSpec& unitSpec, NorvikDeviceKeys* keys)
{
    std::lock_guard<std::mutex> lock(mutex_);
    NorvikStatus status = PlugLocked(unitSpec, keys);
    if (status == NORVIK_STATUS_SUCCESS)
        (void)NotifyLocked(SimAudience::Server, NORVIK_NOTIFY_DRIVER_DEVICE_LIST, nullptr, 0);
    return status;
}

NorvikStatus DriverModel::PlugLocked(const SimUnitSpec& unitSpec, NorvikDeviceKeys* keys)
{
    if (units_.size() >= NORVIK_MAX_DEVICES)
        return NORVIK_STATUS_NO_RESOURCES;
    uint32_t instance = nextUnitInstance_++;
    units_.push_back(
        std::make_unique<SimUnit>(instance, unitSpec, kKey1Base + instance, kKey2Base + instance));
    units_.back()->Mixer().SetLevelsMode(levelsMode_, fixedLevel_);
    if (streamingUnit_ == 0)
        streamingUnit_ = instance;
    UpdateStreamingFlags();
    if (keys)
        *keys = {units_.back()->Key1(), units_.back()->Key2()};
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus DriverModel::UnplugUnit(uint32_t key1, uint32_t key2)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = std::find_if(units_.begin(), units_.end(),
                              [&](const std::unique_ptr<SimUnit>& unit)
                              { return unit->Key1() == key1 && unit->Key2() == key2; });
    if (found == units_.end())
        return NORVIK_STATUS_OBJECT_NOT_FOUND;
    uint32_t instance = (*found)->Instance();
    units_.erase(found);
    // The streaming selection moves to the first unit left; without units the streams go down.
    if (streamingUnit_ == instance)
        streamingUnit_ = units_.empty() ? 0 : units_.front()->Instance();
    if (units_.empty())
        state_.state = NORVIK_STREAMING_DOWN;
    UpdateStreamingFlags();
    (void)NotifyLocked(SimAudience::Server, NORVIK_NOTIFY_DRIVER_DEVICE_LIST, nullptr, 0);
    return NORVIK_STATUS_SUCCESS;
}

std::vector<NorvikDeviceRecord> DriverModel::Units() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<NorvikDeviceRecord> records;
    for (const auto& unit : units_)
        records.push_back(unit->Record());
    return records;
}

bool DriverModel::FindUnitBySerial(const std::wstring& serial, NorvikDeviceKeys* keys) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& unit : units_)
    {
        if (unit->Serial() == serial)
        {
            *keys = {unit->Key1(), unit->Key2()};
            return true;
        }
    }
    return false;
}

NorvikStatus DriverModel::SetSpdifIn(NorvikDeviceKeys keys, bool present, const NorvikSpdifInStatus& status)
{
    std::lock_guard<std::mutex> lock(mutex_);
    SimUnit* unit = FindUnit(keys.key1, keys.key2);
    if (unit == nullptr)
        return NORVIK_STATUS_OBJECT_NOT_FOUND;
    unit->SetSpdifIn(present, status);
    NotifyUnit(SimAudience::Clients, NORVIK_NOTIFY_DEVICE_STATE_CHANGED, *unit);
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus DriverModel::ChangeHardwareVolume(NorvikDeviceKeys keys, NorvikPin pin, int16_t volume,
                                               bool mute)
{
    std::lock_guard<std::mutex> lock(mutex_);
    SimUnit* unit = FindUnit(keys.key1, keys.key2);
    if (unit == nullptr)
        return NORVIK_STATUS_OBJECT_NOT_FOUND;
    NorvikStatus status = unit->Mixer().SetOutputVolume(pin, volume, mute);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    NotifyUnit(SimAudience::Server, NORVIK_NOTIFY_VOLUMES_CHANGED, *unit);
    NotifyUnit(SimAudience::Clients, NORVIK_NOTIFY_VOLUMES_CHANGED, *unit);
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus DriverModel::ChangeEndpointVolume(NorvikDeviceKeys keys, uint32_t index,
                                               const std::vector<int32_t>& levels,
                                               const std::vector<uint32_t>& switches)
{
    if (levels.size() != switches.size() || levels.size() > 16)
        return NORVIK_STATUS_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(mutex_);
    SimUnit* unit = FindUnit(keys.key1, keys.key2);
    if (unit == nullptr)
        return NORVIK_STATUS_OBJECT_NOT_FOUND;
    NorvikStatus status =
        unit->SetEndpointVolume(index, levels.data(), switches.data(), static_cast<uint32_t>(levels.size()));
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    const uint32_t record[4] = {keys.key1, keys.key2, SimUnit::kRenderDirection, index};
    return NotifyLocked(SimAudience::Server, NORVIK_NOTIFY_ENDPOINT_VOLUME_CHANGED, record, sizeof(record));
}

NorvikStatus DriverModel::SetKind2Topology(NorvikDeviceKeys keys, bool on)
{
    std::lock_guard<std::mutex> lock(mutex_);
    SimUnit* unit = FindUnit(keys.key1, keys.key2);
    if (unit == nullptr)
        return NORVIK_STATUS_OBJECT_NOT_FOUND;
    unit->SetKind2Topology(on);
    return NotifyLocked(SimAudience::Server, NORVIK_NOTIFY_CHANNEL_CONFIG_CHANGED, nullptr, 0);
}

NorvikStatus DriverModel::SetMixerPins(NorvikDeviceKeys keys, uint32_t outputs, uint32_t hardwareInputs,
                                       uint32_t softwareOutputs)
{
    std::lock_guard<std::mutex> lock(mutex_);
    SimUnit* unit = FindUnit(keys.key1, keys.key2);
    if (unit == nullptr)
        return NORVIK_STATUS_OBJECT_NOT_FOUND;
    unit->Mixer().SetPinCounts(outputs, hardwareInputs, softwareOutputs);
    NotifyUnit(SimAudience::Clients, NORVIK_NOTIFY_MIXER_PINS_CHANGED, *unit);
    return NORVIK_STATUS_SUCCESS;
}

void DriverModel::SetLevelsMode(SimLevelsMode mode, int16_t fixedLevel)
{
    std::lock_guard<std::mutex> lock(mutex_);
    levelsMode_ = mode;
    fixedLevel_ = fixedLevel;
    for (const auto& unit : units_)
        unit->Mixer().SetLevelsMode(mode, fixedLevel);
}

NorvikStatus DriverModel::SetStreamingDevice(SimRequest& request)
{
    NorvikStreamingDevice device;
    NorvikStatus status = request.ReadIn(&device);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    if (device.mode > 1)
        return NORVIK_STATUS_INVALID_PARAMETER;
    uint32_t instance = streamingUnit_;
    // Mode 0 without keys keeps the selection; named keys must be a connected unit.
    if (device.mode == 0 && (device.key1 != 0 || device.key2 != 0))
    {
        SimUnit* unit = FindUnit(device.key1, device.key2);
        if (unit == nullptr)
            return NORVIK_STATUS_OBJECT_NOT_FOUND;
        instance = unit->Instance();
    }
    if (!state_.IsDown())
        return NORVIK_STATUS_INVALID_STATE;
    state_.mode = device.mode;
    streamingUnit_ = instance;
    UpdateStreamingFlags();
    return NORVIK_STATUS_SUCCESS;
}

// The streaming flag of every record follows mode and selection; clients hear of each unit that changed.
void DriverModel::UpdateStreamingFlags()
{
    for (const auto& unit : units_)
    {
        bool selected = state_.mode == 1 || unit->Instance() == streamingUnit_;
        if (unit->SetStreamingFlag(selected))
            NotifyUnit(SimAudience::Clients, NORVIK_NOTIFY_DEVICE_STATE_CHANGED, *unit);
    }
}

NorvikStatus DriverModel::StreamingReadiness() const
{
    if (units_.empty())
        return NORVIK_STATUS_NO_DEVICES;
    if (state_.mode == 1)
    {
        bool allHighSpeed =
            std::all_of(units_.begin(), units_.end(),
                        [](const std::unique_ptr<SimUnit>& unit) { return unit->IsHighSpeed(); });
        return allHighSpeed ? NORVIK_STATUS_SUCCESS : NORVIK_STATUS_NOT_IN_HIGH_SPEED_MODE;
    }
    SimUnit* unit = FindUnitByInstance(streamingUnit_);
    if (unit == nullptr)
        return NORVIK_STATUS_NO_STREAMING_DEVICE;
    return unit->IsHighSpeed() ? NORVIK_STATUS_SUCCESS : NORVIK_STATUS_NOT_IN_HIGH_SPEED_MODE;
}

NorvikStatus DriverModel::GetChannelList(SimRequest& request, bool outputs)
{
    NorvikStatus status = request.ExpectSizes(0, sizeof(NorvikChannelList));
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    NorvikChannelList list{};
    for (const auto& unit : units_)
    {
        std::vector<SimChannel> channels = unit->Channels(outputs);
        for (size_t i = 0; i < channels.size() && list.count < NORVIK_MAX_CHANNELS; ++i)
            list.channels[list.count++] = MakeChannelId(unit->Instance(), outputs, i);
    }
    request.WriteOut(list);
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus DriverModel::GetChannelInfo(SimRequest& request)
{
    NorvikChannelId id;
    NorvikStatus status = request.ReadIn(&id, sizeof(NorvikChannelInfo));
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    SimUnit* unit = FindUnitByInstance(id.word1);
    if (unit == nullptr || (id.word2 >> 16) > 1)
        return NORVIK_STATUS_OBJECT_NOT_FOUND;
    bool outputs = (id.word2 >> 16) == 1;
    std::vector<SimChannel> channels = unit->Channels(outputs);
    size_t position = id.word2 & 0xFFFF;
    if (position >= channels.size())
        return NORVIK_STATUS_OBJECT_NOT_FOUND;
    const SimChannel& channel = channels[position];
    NorvikChannelInfo info{};
    info.unused0 = channel.kind;
    info.unused1 = channel.channel;
    info.key1 = unit->Key1();
    info.key2 = unit->Key2();
    info.unused4 = outputs ? 1 : 0;
    size_t length = std::min<size_t>(channel.name.size(), 41);
    std::memcpy(info.name, channel.name.data(), length * sizeof(wchar_t));
    request.WriteOut(info);
    return NORVIK_STATUS_SUCCESS;
}

SimUnit* DriverModel::FindUnit(uint32_t key1, uint32_t key2)
{
    for (const auto& unit : units_)
        if (unit->Key1() == key1 && unit->Key2() == key2)
            return unit.get();
    return nullptr;
}

SimUnit* DriverModel::FindUnitByInstance(uint32_t instance) const
{
    for (const auto& unit : units_)
        if (unit->Instance() == instance)
            return unit.get();
    return nullptr;
}
