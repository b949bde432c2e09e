#include "driverapi/NorvikDevice.h"

#include <strsafe.h>

#include <cstring>
#include <cwchar>

NorvikDevice::NorvikDevice() : record_{}, driverName_{} {}

NorvikDevice::~NorvikDevice() = default;

NorvikStatus NorvikDevice::Open(const wchar_t* driverName, const NorvikDeviceRecord& record)
{
    (void)StringCchCopyW(driverName_, ARRAYSIZE(driverName_), driverName);
    UpdateRecord(record);
    NorvikStatus status = NorvikApiContext::Open(driverName_);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    status = BindDevice(record_.key1, record_.key2);
    if (status == NORVIK_STATUS_SUCCESS)
        status = OnOpened();
    if (status != NORVIK_STATUS_SUCCESS)
        Close();
    return status;
}

NorvikStatus NorvikDevice::OnOpened()
{
    return NORVIK_STATUS_SUCCESS;
}

void NorvikDevice::UpdateRecord(const NorvikDeviceRecord& record)
{
    record_ = record;
    TerminateRecordStrings(&record_);
}

NorvikStatus NorvikDevice::BindDevice(uint32_t key1, uint32_t key2)
{
    const NorvikDeviceKeys keys{key1, key2};
    const NorvikStatus status = Ioctl(NORVIK_IOCTL_BIND_DEVICE, &keys, sizeof(keys), nullptr, 0);
    if (status == NORVIK_STATUS_SUCCESS)
        MarkBoundToUnit();
    return status;
}

NorvikStatus NorvikDevice::GetSpdifInStatus(uint32_t inputIndex, NorvikSpdifInStatus* status)
{
    *status = NorvikSpdifInStatus{};
    status->inputIndex = inputIndex;
    return Ioctl(NORVIK_IOCTL_GET_SPDIF_IN_STATUS, status, sizeof(*status), status, sizeof(*status));
}

NorvikStatus NorvikDevice::SetSpdifPassThrough(uint32_t selector1, uint32_t selector2, bool enable)
{
    const NorvikSpdifPassThrough record{selector1, selector2, enable ? 1u : 0u};
    return Ioctl(NORVIK_IOCTL_SET_SPDIF_PASS_THROUGH, &record, sizeof(record), nullptr, 0);
}

NorvikStatus NorvikDevice::GetSpdifPassThrough(uint32_t selector1, uint32_t selector2, bool* enabled)
{
    NorvikSpdifPassThrough record{selector1, selector2, 0};
    const NorvikStatus status =
        Ioctl(NORVIK_IOCTL_GET_SPDIF_PASS_THROUGH, &record, sizeof(record), &record, sizeof(record));
    if (status == NORVIK_STATUS_SUCCESS)
        *enabled = record.enable != 0;
    return status;
}

NorvikStatus NorvikDevice::SetVolumeBypass(bool on)
{
    return SetFlag(NORVIK_IOCTL_SET_VOLUME_BYPASS, on);
}

NorvikStatus NorvikDevice::GetVolumeBypass(bool* on)
{
    return GetFlag(NORVIK_IOCTL_GET_VOLUME_BYPASS, on);
}

NorvikStatus NorvikDevice::SetMuteBypass(bool on)
{
    return SetFlag(NORVIK_IOCTL_SET_MUTE_BYPASS, on);
}

NorvikStatus NorvikDevice::GetMuteBypass(bool* on)
{
    return GetFlag(NORVIK_IOCTL_GET_MUTE_BYPASS, on);
}

NorvikStatus NorvikDevice::GetMixerPins(uint32_t selector, NorvikPin* pins, uint32_t* count)
{
    if (*count > UINT32_MAX / sizeof(NorvikPin))
        return NORVIK_STATUS_INVALID_PARAMETER;
    uint32_t bytes = 0;
    const NorvikStatus status = Ioctl(NORVIK_IOCTL_GET_MIXER_PINS, &selector, sizeof(selector), pins,
                                      *count * static_cast<uint32_t>(sizeof(NorvikPin)), &bytes);
    *count = bytes / sizeof(NorvikPin);
    return status;
}

NorvikStatus NorvikDevice::GetInputLevels(NorvikLevelItem* items, uint32_t count)
{
    return ArrayRequest(NORVIK_IOCTL_GET_INPUT_LEVELS, items, count, sizeof(*items));
}

NorvikStatus NorvikDevice::GetOutputLevels(NorvikLevelItem* items, uint32_t count)
{
    return ArrayRequest(NORVIK_IOCTL_GET_OUTPUT_LEVELS, items, count, sizeof(*items));
}

NorvikStatus NorvikDevice::GetPinVolumes(NorvikVolumeItem* items, uint32_t count)
{
    return ArrayRequest(NORVIK_IOCTL_GET_PIN_VOLUMES, items, count, sizeof(*items));
}

NorvikStatus NorvikDevice::SetPinVolumes(NorvikVolumeItem* items, uint32_t count)
{
    return ArrayRequest(NORVIK_IOCTL_SET_PIN_VOLUMES, items, count, sizeof(*items));
}

NorvikStatus NorvikDevice::GetCrosspointWeights(NorvikWeightItem* items, uint32_t count)
{
    return ArrayRequest(NORVIK_IOCTL_GET_CROSSPOINT_WEIGHTS, items, count, sizeof(*items));
}

NorvikStatus NorvikDevice::SetCrosspointWeights(NorvikWeightItem* items, uint32_t count)
{
    return ArrayRequest(NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS, items, count, sizeof(*items));
}

NorvikStatus NorvikDevice::QueryPlugin(NorvikPluginRecord* record)
{
    return Ioctl(NORVIK_IOCTL_QUERY_PLUGIN, record, sizeof(*record), record, sizeof(*record));
}

NorvikStatus NorvikDevice::SetPluginParameters(const NorvikPluginRecord& record)
{
    return Ioctl(NORVIK_IOCTL_SET_PLUGIN_PARAMETERS, &record, sizeof(record), nullptr, 0);
}

NorvikStatus NorvikDevice::GetEndpointTopology(NorvikEndpointTopologyBuffer* topology)
{
    uint32_t bytes = 0;
    const NorvikStatus status =
        Ioctl(NORVIK_IOCTL_GET_ENDPOINT_TOPOLOGY, nullptr, 0, topology, sizeof(*topology), &bytes);
    if (status == NORVIK_STATUS_SUCCESS)
    {
        topology->topology.count =
            BoundedCount(topology->topology.count, NORVIK_MAX_TOPOLOGY_ENDPOINTS, bytes,
                         offsetof(NorvikEndpointTopology, endpoints), sizeof(NorvikTopologyEndpoint));
    }
    return status;
}

NorvikStatus NorvikDevice::SetWdmConfig(const NorvikWdmConfig& config)
{
    return Ioctl(NORVIK_IOCTL_SET_WDM_CONFIG, &config, sizeof(config), nullptr, 0);
}

NorvikStatus NorvikDevice::SetChannelNames(const NorvikChannelNames& names)
{
    return Ioctl(NORVIK_IOCTL_SET_CHANNEL_NAMES, &names, sizeof(names), nullptr, 0);
}

NorvikStatus NorvikDevice::SetWdmEndpoints(const NorvikWdmEndpoints& endpoints)
{
    return Ioctl(NORVIK_IOCTL_SET_WDM_ENDPOINTS, &endpoints, sizeof(endpoints), nullptr, 0);
}

NorvikStatus NorvikDevice::GetWdmPinConfig(uint32_t direction, uint32_t endpointIndex,
                                           NorvikWdmPinConfig* config)
{
    *config = NorvikWdmPinConfig{};
    config->direction = direction;
    config->endpointIndex = endpointIndex;
    return Ioctl(NORVIK_IOCTL_GET_WDM_PIN_CONFIG, config, sizeof(*config), config, sizeof(*config));
}

NorvikStatus NorvikDevice::SetWdmPinConfig(const NorvikWdmPinConfig& config)
{
    return Ioctl(NORVIK_IOCTL_SET_WDM_PIN_CONFIG, &config, sizeof(config), nullptr, 0);
}

NorvikStatus NorvikDevice::SelectEndpoint(uint32_t unit, uint32_t value)
{
    const NorvikEndpointSelection selection{unit, value};
    return Ioctl(NORVIK_IOCTL_SELECT_ENDPOINT, &selection, sizeof(selection), nullptr, 0);
}

NorvikStatus NorvikDevice::SetEndpointDefault(uint32_t unit, uint32_t value)
{
    const NorvikEndpointSelection selection{unit, value};
    return Ioctl(NORVIK_IOCTL_SET_ENDPOINT_DEFAULT, &selection, sizeof(selection), nullptr, 0);
}

NorvikStatus NorvikDevice::ArrayRequest(uint32_t code, void* items, uint32_t count, uint32_t itemSize)
{
    if (count > UINT32_MAX / itemSize)
        return NORVIK_STATUS_INVALID_PARAMETER;
    return Ioctl(code, items, count * itemSize, items, count * itemSize);
}

NorvikStatus NorvikDevice::GetFlag(uint32_t code, bool* on)
{
    uint8_t value = 0;
    const NorvikStatus status = Ioctl(code, nullptr, 0, &value, sizeof(value));
    *on = value != 0;
    return status;
}

NorvikStatus NorvikDevice::SetFlag(uint32_t code, bool on)
{
    const uint8_t value = on ? 1 : 0;
    return Ioctl(code, &value, sizeof(value), nullptr, 0);
}

void TerminateRecordStrings(NorvikDeviceRecord* record)
{
    record->serial[ARRAYSIZE(record->serial) - 1] = L'\0';
    record->name[ARRAYSIZE(record->name) - 1] = L'\0';
}

bool IsSameUnit(const NorvikDeviceRecord& a, const NorvikDeviceRecord& b)
{
    return a.identity1 == b.identity1 && a.identity2 == b.identity2 &&
           std::wcsncmp(a.serial, b.serial, ARRAYSIZE(a.serial)) == 0;
}
