#include "service/CustomDevice.h"
#include "service/LevelConversion.h"
#include "service/RegistryKey.h"
#include "service/SoundDeviceTables.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

namespace
{
constexpr wchar_t kRenderValue[] = L"WdmRenderSoundDeviceConfiguration";
constexpr wchar_t kCaptureValue[] = L"WdmCaptureSoundDeviceConfiguration";
constexpr REGSAM kKeyAccess = KEY_READ | KEY_WRITE;
constexpr uint32_t kWdmConfigVirtualPairs = 4;
constexpr uint32_t kMaxPairsPerEntry = 8; // two volume items per pair fill the 16 pin levels
} // namespace

CustomDevice::CustomDevice(std::wstring registryKeyPath)
    : registryKeyPath_(std::move(registryKeyPath)), endpoints_(),
      settings_(*this, [this](RegistryKey* key) { return OpenUnitKey(key); }),
      timerForwarder_(this, &CustomDevice::HandleTimer)
{
}

CustomDevice::~CustomDevice()
{
    // The timer's routine refers to this object: no expiry may run once it is gone.
    timer_.Close();
}

// The timer runs for every opened unit; its one duty is the kept settings, and only while they are on.
// Failing to arm it still fails the opening.
void CustomDevice::HandleTimer(DWORD, DWORD)
{
    settings_.OnTick();
}

NorvikStatus CustomDevice::OnOpened()
{
    (void)LoadWdmConfiguration();
    NorvikStatus result = SendVirtualConfiguration();
    if (result == NORVIK_STATUS_SUCCESS)
        result = SendChannelNames();
    if (result == NORVIK_STATUS_SUCCESS)
        result = SendWdmEndpoints();
    if (result == NORVIK_STATUS_SUCCESS)
        result = SelectUnits();
    if (result != NORVIK_STATUS_SUCCESS)
        return result;
    if (timer_.Create(false) != ERROR_SUCCESS ||
        timer_.Set(kTimerPeriodMs, &timerForwarder_, false) != ERROR_SUCCESS)
        return NORVIK_STATUS_FAILED;
    settings_.OnArrival();
    return NORVIK_STATUS_SUCCESS;
}

DWORD CustomDevice::OpenUnitKey(RegistryKey* key) const
{
    RegistryKey base;
    DWORD result = base.Create(HKEY_LOCAL_MACHINE, registryKeyPath_.c_str(), kKeyAccess);
    if (result != ERROR_SUCCESS)
        return result;
    RegistryKey devices;
    result = devices.Create(base.Get(), L"Devices", kKeyAccess);
    if (result != ERROR_SUCCESS)
        return result;
    return key->Create(devices.Get(), GetRegistryName().c_str(), kKeyAccess);
}

NorvikStatus CustomDevice::LoadWdmConfiguration()
{
    RegistryKey key;
    const DWORD result = OpenUnitKey(&key);
    if (result != ERROR_SUCCESS)
        return result;
    // A missing value or one of another type or size leaves the field as it was.
    DWORD value = 0;
    if (key.QueryDword(kRenderValue, &value) == ERROR_SUCCESS)
        renderConfig = value;
    if (key.QueryDword(kCaptureValue, &value) == ERROR_SUCCESS)
        captureConfig = value;
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus CustomDevice::SaveWdmConfiguration()
{
    RegistryKey key;
    const DWORD result = OpenUnitKey(&key);
    if (result != ERROR_SUCCESS)
        return result;
    (void)key.SetDword(kRenderValue, renderConfig);
    (void)key.SetDword(kCaptureValue, captureConfig);
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus CustomDevice::SendVirtualConfiguration()
{
    NorvikWdmConfig config = {};
    config.count = kWdmConfigVirtualPairs;
    for (uint32_t i = 0; i < kWdmConfigVirtualPairs; ++i)
        config.pairs[i] = {SoundDeviceTables::kKindVirtual, 0};
    const NorvikStatus result = SetWdmConfig(config);
    if (result != NORVIK_STATUS_SUCCESS)
        return result;
    // The first two virtual inputs start fed by the first two playback channels at unity gain.
    NorvikWeightItem weights[2] = {};
    for (uint8_t channel = 0; channel < 2; ++channel)
    {
        weights[channel].output = {NORVIK_PIN_VIRTUAL, channel, {0, 0}};
        weights[channel].input = {NORVIK_PIN_SOFTWARE, channel, {0, 0}};
        weights[channel].weight = 0;
        weights[channel].SetConnected(true);
    }
    return SetCrosspointWeights(weights, 2);
}

bool CustomDevice::HasKind2Item()
{
    NorvikEndpointTopologyBuffer buffer = {};
    if (GetEndpointTopology(&buffer) != NORVIK_STATUS_SUCCESS)
        return false;
    const NorvikEndpointTopology& topology = buffer.topology;
    // The record holds twelve entries, whatever count the driver reports.
    const uint32_t count = std::min<uint32_t>(topology.count, NORVIK_MAX_TOPOLOGY_ENDPOINTS);
    for (uint32_t i = 0; i < count; ++i)
    {
        const NorvikTopologyEndpoint& endpoint = topology.endpoints[i];
        for (size_t item = 0; item < std::size(endpoint.first); ++item)
            if (endpoint.first[item].kind == 2 || endpoint.second[item].kind == 2)
                return true;
    }
    return false;
}

NorvikStatus CustomDevice::SendChannelNames()
{
    NorvikChannelNames names;
    const bool skipAnalogOutputs = HasKind2Item();
    const bool skipAnalogInputs = HasKind2Item();
    SoundDeviceTables::BuildChannelNames(skipAnalogOutputs, skipAnalogInputs, &names);
    return SetChannelNames(names);
}

NorvikStatus CustomDevice::SendWdmEndpoints()
{
    SoundDeviceTables::BuildWdmEndpoints(renderConfig, captureConfig, &endpoints_);
    return SetWdmEndpoints(endpoints_);
}

NorvikStatus CustomDevice::SelectUnits()
{
    NorvikStatus first = NORVIK_STATUS_SUCCESS;
    for (const uint32_t unit : {0u, 2u})
    {
        NorvikStatus result = SelectEndpoint(unit, 0);
        if (result != NORVIK_STATUS_SUCCESS)
            result = SetEndpointDefault(unit);
        if (first == NORVIK_STATUS_SUCCESS)
            first = result;
    }
    return first;
}

NorvikStatus CustomDevice::SelectEndpoints(uint32_t value)
{
    const NorvikStatus unit0 = SelectEndpoint(0, value);
    const NorvikStatus unit2 = SelectEndpoint(2, value);
    return unit0 != NORVIK_STATUS_SUCCESS ? unit0 : unit2;
}

NorvikStatus CustomDevice::BeforeStreamingChange(uint32_t current, uint32_t target, uint32_t)
{
    const bool fromPreparedOrRunning =
        current == NORVIK_STREAMING_PREPARED || current == NORVIK_STREAMING_RUNNING;
    if (target == NORVIK_STREAMING_READY && fromPreparedOrRunning)
        return SelectEndpoints(0);
    if (target == NORVIK_STREAMING_RUNNING)
        return SelectEndpoints(1);
    return NORVIK_STATUS_SUCCESS;
}

uint32_t CustomDevice::BuildVolumeItems(const NorvikWdmEndpointEntry& entry, NorvikVolumeItem (&items)[16])
{
    const uint32_t pairs = std::min(entry.pairCount, kMaxPairsPerEntry);
    const uint8_t pinKind =
        entry.kind == SoundDeviceTables::kKindAnalog ? NORVIK_PIN_ANALOG : NORVIK_PIN_SPDIF;
    std::memset(items, 0, sizeof(items));
    for (uint32_t k = 0; k < pairs; ++k)
    {
        const uint8_t pair = static_cast<uint8_t>(entry.pairIndexes[k] & 0xFF);
        items[2 * k].pin = {pinKind, static_cast<uint8_t>(2 * pair), {0, 0}};
        items[2 * k + 1].pin = {pinKind, static_cast<uint8_t>(2 * pair + 1), {0, 0}};
    }
    return 2 * pairs;
}

void CustomDevice::OnLevelsChanged()
{
    settings_.OnChange();
    const NorvikWdmEndpointHalf& render = endpoints_.render;
    const uint32_t count = std::min<uint32_t>(render.count, std::size(render.entries));
    for (uint32_t e = 0; e < count; ++e)
    {
        const NorvikWdmEndpointEntry& entry = render.entries[e];
        if (entry.format == SoundDeviceTables::kFormatMidi)
            continue;
        NorvikVolumeItem items[16];
        const uint32_t itemCount = BuildVolumeItems(entry, items);
        if (GetPinVolumes(items, itemCount) != NORVIK_STATUS_SUCCESS)
            return;
        NorvikWdmPinConfig config = {};
        config.direction = kPinConfigDirection;
        config.endpointIndex = entry.ownIndex;
        for (uint32_t s = 0; s < itemCount; ++s)
        {
            config.levels[s] = HardwareVolumeToWindowsLevel(items[s].volume);
            config.switches[s] = items[s].IsMuted() ? 1u : 0u;
        }
        if (SetWdmPinConfig(config) != NORVIK_STATUS_SUCCESS)
            return;
    }
}

void CustomDevice::OnEndpointEvent2(uint32_t index)
{
    const NorvikWdmEndpointHalf& render = endpoints_.render;
    if (index >= std::min<uint32_t>(render.count, std::size(render.entries)))
        return;
    NorvikWdmPinConfig config = {};
    if (GetWdmPinConfig(kPinConfigDirection, index, &config) != NORVIK_STATUS_SUCCESS)
        return;
    NorvikVolumeItem items[16];
    const uint32_t itemCount = BuildVolumeItems(render.entries[index], items);
    for (uint32_t s = 0; s < itemCount; ++s)
    {
        items[s].volume = WindowsLevelToHardwareVolume(config.levels[s]);
        items[s].SetMuted((config.switches[s] & 1u) != 0);
    }
    (void)SetPinVolumes(items, itemCount);
}

NorvikStatus CustomDevice::ApplyWdmConfiguration(const uint32_t (&values)[4])
{
    const uint32_t render = values[2];
    const uint32_t capture = values[3];
    if (render != 0 || capture != 0)
        return NORVIK_STATUS_INVALID_PARAMETER;
    renderConfig = 0;
    captureConfig = capture;
    (void)SaveWdmConfiguration();
    return SendWdmEndpoints();
}
