#include "simulator/SimUnit.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>

namespace
{
template <size_t N> void CopyName(wchar_t (&target)[N], const std::wstring& text)
{
    size_t count = std::min(text.size(), N - 1);
    std::copy_n(text.data(), count, target);
    target[count] = L'\0';
}

std::string Narrow(const std::wstring& text)
{
    std::string result;
    for (wchar_t c : text)
        result += c < 0x80 ? static_cast<char>(c) : '?';
    return result;
}

constexpr uint32_t kEndpointUnitCapture = 0;
constexpr uint32_t kEndpointUnitRender = 2;
constexpr uint32_t kEndpointDefault = 8;
} // namespace

SimUnit::SimUnit(uint32_t instance, const SimUnitSpec& unitSpec, uint32_t key1, uint32_t key2)
    : instance_(instance), spdifPresent_(unitSpec.spdifIn), mixer_(unitSpec.analogChannels)
{
    record_.key1 = key1;
    record_.key2 = key2;
    record_.identity1 = unitSpec.identity1;
    record_.identity2 = unitSpec.identity2;
    CopyName(record_.serial, unitSpec.serial);
    CopyName(record_.name, unitSpec.name);
    record_.SetHighSpeed(unitSpec.highSpeed);
    record_.SetHasPlugin(unitSpec.plugin);
    pluginChannels_ = std::min(unitSpec.effectChannels, kMaxPluginChannels);
    std::fill(std::begin(amplification_), std::end(amplification_), 500u);
    std::fill(std::begin(delayMs_), std::end(delayMs_), 100u);
}

std::wstring SimUnit::Serial() const
{
    return std::wstring(record_.serial);
}

bool SimUnit::SetStreamingFlag(bool selected)
{
    const bool changed = selected != record_.IsStreamingDevice();
    record_.SetStreamingDevice(selected);
    return changed;
}

NorvikStatus SimUnit::Handle(SimRequest& request, Changes* changes)
{
    switch (request.code)
    {
    case NORVIK_IOCTL_GET_SPDIF_IN_STATUS:
    case NORVIK_IOCTL_SET_SPDIF_PASS_THROUGH:
    case NORVIK_IOCTL_GET_SPDIF_PASS_THROUGH:
        return HandleSpdif(request, changes);
    case NORVIK_IOCTL_SET_VOLUME_BYPASS:
    case NORVIK_IOCTL_GET_VOLUME_BYPASS:
    case NORVIK_IOCTL_SET_MUTE_BYPASS:
    case NORVIK_IOCTL_GET_MUTE_BYPASS:
        return HandleBypass(request, changes);
    case NORVIK_IOCTL_QUERY_PLUGIN:
    case NORVIK_IOCTL_SET_PLUGIN_PARAMETERS:
        return HandlePlugin(request);
    case NORVIK_IOCTL_SELECT_ENDPOINT:
    case NORVIK_IOCTL_SET_ENDPOINT_DEFAULT:
        return HandleEndpointSelection(request);
    case NORVIK_IOCTL_GET_MIXER_PINS:
    case NORVIK_IOCTL_GET_INPUT_LEVELS:
    case NORVIK_IOCTL_GET_OUTPUT_LEVELS:
    case NORVIK_IOCTL_GET_PIN_VOLUMES:
    case NORVIK_IOCTL_SET_PIN_VOLUMES:
    case NORVIK_IOCTL_GET_CROSSPOINT_WEIGHTS:
    case NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS:
    {
        SimMixer::Changes mixerChanges;
        NorvikStatus status = mixer_.Handle(request, &mixerChanges);
        changes->volumes = mixerChanges.volumes;
        changes->weights = mixerChanges.weights;
        return status;
    }
    default:
        return HandleWdm(request);
    }
}

NorvikStatus SimUnit::HandleSpdif(SimRequest& request, Changes* changes)
{
    if (request.code == NORVIK_IOCTL_GET_SPDIF_IN_STATUS)
    {
        NorvikSpdifInStatus status;
        NorvikStatus result = request.ReadIn(&status, sizeof(status));
        if (result != NORVIK_STATUS_SUCCESS)
            return result;
        if (!spdifPresent_ || status.inputIndex != 0)
            return NORVIK_STATUS_OBJECT_NOT_FOUND;
        request.WriteOut(spdifIn_);
        return NORVIK_STATUS_SUCCESS;
    }
    bool set = request.code == NORVIK_IOCTL_SET_SPDIF_PASS_THROUGH;
    NorvikSpdifPassThrough record;
    NorvikStatus result = request.ReadIn(&record, set ? 0 : sizeof(record));
    if (result != NORVIK_STATUS_SUCCESS)
        return result;
    if (record.selector1 != 0 || record.selector2 != 0)
        return NORVIK_STATUS_INVALID_PARAMETER;
    if (!set)
    {
        record.enable = passThrough_;
        request.WriteOut(record);
        return NORVIK_STATUS_SUCCESS;
    }
    if (record.enable > 1)
        return NORVIK_STATUS_INVALID_PARAMETER;
    changes->state = record.enable != passThrough_;
    passThrough_ = record.enable;
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus SimUnit::HandleBypass(SimRequest& request, Changes* changes)
{
    bool volume =
        request.code == NORVIK_IOCTL_SET_VOLUME_BYPASS || request.code == NORVIK_IOCTL_GET_VOLUME_BYPASS;
    uint8_t& value = volume ? volumeBypass_ : muteBypass_;
    if (request.code == NORVIK_IOCTL_GET_VOLUME_BYPASS || request.code == NORVIK_IOCTL_GET_MUTE_BYPASS)
    {
        NorvikStatus result = request.ExpectSizes(0, 1);
        request.WriteOut(value);
        return result;
    }
    uint8_t on;
    NorvikStatus result = request.ReadIn(&on);
    if (result != NORVIK_STATUS_SUCCESS)
        return result;
    if (on > 1)
        return NORVIK_STATUS_INVALID_PARAMETER;
    changes->state = on != value;
    value = on;
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus SimUnit::HandlePlugin(SimRequest& request)
{
    bool query = request.code == NORVIK_IOCTL_QUERY_PLUGIN;
    NorvikPluginRecord record;
    NorvikStatus result = request.ReadIn(&record, query ? sizeof(record) : 0);
    if (result != NORVIK_STATUS_SUCCESS)
        return result;
    if (!HasPlugin())
        return NORVIK_STATUS_NOT_SUPPORTED;
    uint32_t* values = record.selector == NORVIK_PLUGIN_DELAY           ? delayMs_
                       : record.selector == NORVIK_PLUGIN_AMPLIFICATION ? amplification_
                                                                        : nullptr;
    uint32_t limit = record.selector == NORVIK_PLUGIN_DELAY ? kPluginMaxDelayMs : kPluginMaxAmplification;
    if (query)
    {
        if (record.selector == NORVIK_PLUGIN_CHANNEL_COUNT || record.selector == NORVIK_PLUGIN_MAX_DELAY)
            record.count =
                record.selector == NORVIK_PLUGIN_CHANNEL_COUNT ? pluginChannels_ : kPluginMaxDelayMs;
        else if (values == nullptr || record.count != 1 || record.pairs[0].channel >= pluginChannels_)
            return NORVIK_STATUS_INVALID_PARAMETER;
        else
            record.pairs[0].value = values[record.pairs[0].channel];
        request.WriteOut(record);
        return NORVIK_STATUS_SUCCESS;
    }
    if (values == nullptr || record.count == 0 || record.count > 64)
        return NORVIK_STATUS_INVALID_PARAMETER;
    for (uint32_t i = 0; i < record.count; ++i)
        if (record.pairs[i].channel >= pluginChannels_ || record.pairs[i].value > limit)
            return NORVIK_STATUS_INVALID_PARAMETER;
    for (uint32_t i = 0; i < record.count; ++i)
        values[record.pairs[i].channel] = record.pairs[i].value;
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus SimUnit::HandleEndpointSelection(SimRequest& request)
{
    NorvikEndpointSelection selection;
    NorvikStatus result = request.ReadIn(&selection);
    if (result != NORVIK_STATUS_SUCCESS)
        return result;
    if (selection.unit != kEndpointUnitCapture && selection.unit != kEndpointUnitRender)
        return NORVIK_STATUS_INVALID_PARAMETER;
    bool isDefault = request.code == NORVIK_IOCTL_SET_ENDPOINT_DEFAULT;
    if (isDefault ? selection.value != kEndpointDefault : selection.value > 1)
        return NORVIK_STATUS_INVALID_PARAMETER;
    endpointSelection_[selection.unit] = selection.value;
    return NORVIK_STATUS_SUCCESS;
}

void SimUnit::SetSpdifIn(bool present, const NorvikSpdifInStatus& status)
{
    spdifPresent_ = present;
    spdifIn_ = status;
    spdifIn_.inputIndex = 0;
}

void SimUnit::DumpTo(nlohmann::json& out) const
{
    char keys[32];
    snprintf(keys, sizeof(keys), "0x%08X 0x%08X", record_.key1, record_.key2);
    out["keys"] = keys;
    out["key1"] = record_.key1;
    out["key2"] = record_.key2;
    out["serial"] = Narrow(Serial());
    out["name"] = Narrow(std::wstring(record_.name));
    out["identity"] = {record_.identity1, record_.identity2};
    out["highSpeed"] = IsHighSpeed();
    out["plugin"] = HasPlugin();
    out["streaming"] = record_.IsStreamingDevice();
    out["spdifIn"] = {{"present", spdifPresent_},
                      {"state", spdifIn_.state},
                      {"format", spdifIn_.format},
                      {"rate", spdifIn_.sampleRate}};
    out["spdifPassThrough"] = passThrough_;
    out["volumeBypass"] = volumeBypass_;
    out["muteBypass"] = muteBypass_;
    out["effect"] = {
        {"delayMs", std::vector<uint32_t>(delayMs_, delayMs_ + pluginChannels_)},
        {"amplification", std::vector<uint32_t>(amplification_, amplification_ + pluginChannels_)}};
    nlohmann::json mixer;
    mixer_.DumpTo(mixer);
    out["mixer"] = mixer;
    DumpWdmTo(out);
}
