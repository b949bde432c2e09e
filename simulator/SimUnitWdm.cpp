// The Windows side of a unit: endpoint topology and the records the service sends (virtual channel setup,
// channel names, endpoint table, endpoint levels), and the ASIO channels that follow from the names.
#include "simulator/SimUnit.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>

namespace
{
constexpr uint32_t kTopologyEndpoints = 4;

template <size_t N> bool IsTerminated(const wchar_t (&text)[N])
{
    return std::find(text, text + N, L'\0') != text + N;
}

std::string Narrow(const wchar_t* text)
{
    std::string result;
    for (; *text; ++text)
        result += *text < 0x80 ? static_cast<char>(*text) : '?';
    return result;
}

bool ValidNames(const NorvikChannelNameHalf& half)
{
    if (half.count > 32)
        return false;
    for (uint32_t i = 0; i < half.count; ++i)
    {
        const NorvikChannelNameEntry& entry = half.entries[i];
        if ((entry.kind != 1 && entry.kind != 10 && entry.kind != 40) || entry.side > 1 ||
            !IsTerminated(entry.name))
            return false;
    }
    return true;
}

// A pair count beyond the pair indexes that follow it would have the driver read other fields as pairs.
bool ValidEndpoints(const NorvikWdmEndpointHalf& half)
{
    if (half.count > 32)
        return false;
    for (uint32_t i = 0; i < half.count; ++i)
    {
        const NorvikWdmEndpointEntry& entry = half.entries[i];
        bool kindKnown = entry.kind == 1 || entry.kind == 10 || entry.kind == 20 || entry.kind == 40;
        if (!kindKnown || entry.pairCount < 1 || entry.pairCount > std::size(entry.pairIndexes) ||
            entry.format > 2 || !IsTerminated(entry.name))
            return false;
    }
    return true;
}

uint64_t PinConfigKey(uint32_t direction, uint32_t index)
{
    return static_cast<uint64_t>(direction) << 32 | index;
}

void AddDefaultChannels(std::vector<SimChannel>* channels, uint32_t kind, uint32_t count,
                        const wchar_t* format)
{
    for (uint32_t i = 0; i < count; ++i)
    {
        wchar_t name[42];
        _snwprintf(name, 41, format, i + 1);
        name[41] = L'\0';
        channels->push_back(SimChannel{kind, i, name});
    }
}

nlohmann::json NamesJson(const NorvikChannelNameHalf& half)
{
    nlohmann::json list = nlohmann::json::array();
    for (uint32_t i = 0; i < half.count && i < 32; ++i)
    {
        const NorvikChannelNameEntry& e = half.entries[i];
        list.push_back({{"kind", e.kind}, {"pair", e.pairIndex}, {"side", e.side}, {"name", Narrow(e.name)}});
    }
    return list;
}

nlohmann::json EndpointsJson(const NorvikWdmEndpointHalf& half)
{
    nlohmann::json list = nlohmann::json::array();
    for (uint32_t i = 0; i < half.count && i < 32; ++i)
    {
        const NorvikWdmEndpointEntry& e = half.entries[i];
        list.push_back({{"kind", e.kind},
                        {"pairs", e.pairCount},
                        {"index", e.pairIndexes[0]},
                        {"format", e.format},
                        {"word11", e.analog3},
                        {"name", Narrow(e.name)},
                        {"midiDirection", e.midiDirection},
                        {"position", e.ownIndex},
                        {"level", e.level}});
    }
    return list;
}
} // namespace

NorvikStatus SimUnit::HandleWdm(SimRequest& request)
{
    switch (request.code)
    {
    case NORVIK_IOCTL_GET_ENDPOINT_TOPOLOGY:
        return GetTopology(request);
    case NORVIK_IOCTL_SET_WDM_CONFIG:
    {
        NorvikWdmConfig config;
        NorvikStatus status = request.ReadIn(&config);
        if (status != NORVIK_STATUS_SUCCESS)
            return status;
        if (config.count > 16)
            return NORVIK_STATUS_INVALID_PARAMETER;
        wdmConfig_ = config;
        wdmConfigSent_ = true;
        return NORVIK_STATUS_SUCCESS;
    }
    case NORVIK_IOCTL_SET_CHANNEL_NAMES:
    {
        NorvikChannelNames names;
        NorvikStatus status = request.ReadIn(&names);
        if (status != NORVIK_STATUS_SUCCESS)
            return status;
        if (!ValidNames(names.inputs) || !ValidNames(names.outputs))
            return NORVIK_STATUS_INVALID_PARAMETER;
        channelNames_ = names;
        channelNamesSent_ = true;
        return NORVIK_STATUS_SUCCESS;
    }
    case NORVIK_IOCTL_SET_WDM_ENDPOINTS:
    {
        NorvikWdmEndpoints endpoints;
        NorvikStatus status = request.ReadIn(&endpoints);
        if (status != NORVIK_STATUS_SUCCESS)
            return status;
        if (!ValidEndpoints(endpoints.capture) || !ValidEndpoints(endpoints.render))
            return NORVIK_STATUS_INVALID_PARAMETER;
        endpoints_ = endpoints;
        endpointsSent_ = true;
        return NORVIK_STATUS_SUCCESS;
    }
    case NORVIK_IOCTL_GET_WDM_PIN_CONFIG:
    case NORVIK_IOCTL_SET_WDM_PIN_CONFIG:
        return PinConfig(request);
    default:
        return NORVIK_STATUS_INVALID_IOCTL;
    }
}

NorvikStatus SimUnit::GetTopology(SimRequest& request) const
{
    NorvikStatus status = request.ExpectSizes(0, NORVIK_ENDPOINT_TOPOLOGY_SIZE);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    NorvikEndpointTopologyBuffer buffer{};
    buffer.topology.count = kTopologyEndpoints;
    for (uint32_t i = 0; i < kTopologyEndpoints; ++i)
    {
        buffer.topology.endpoints[i].first[0] = {1, i};
        buffer.topology.endpoints[i].second[0] = {3, i};
    }
    if (kind2Topology_)
        buffer.topology.endpoints[kTopologyEndpoints - 1].second[1] = {2, 0};
    request.WriteOut(buffer);
    return NORVIK_STATUS_SUCCESS;
}

uint32_t SimUnit::EndpointCount(uint32_t direction) const
{
    if (!endpointsSent_)
        return 0;
    return direction == kRenderDirection ? endpoints_.render.count : endpoints_.capture.count;
}

NorvikStatus SimUnit::PinConfig(SimRequest& request)
{
    bool get = request.code == NORVIK_IOCTL_GET_WDM_PIN_CONFIG;
    NorvikWdmPinConfig config;
    NorvikStatus status = request.ReadIn(&config, get ? sizeof(config) : 0);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    if (config.direction != kRenderDirection && config.direction != kCaptureDirection)
        return NORVIK_STATUS_INVALID_PARAMETER;
    if (config.endpointIndex >= EndpointCount(config.direction))
        return NORVIK_STATUS_OBJECT_NOT_FOUND;
    uint64_t key = PinConfigKey(config.direction, config.endpointIndex);
    if (!get)
    {
        pinConfigs_[key] = config;
        return NORVIK_STATUS_SUCCESS;
    }
    auto found = pinConfigs_.find(key);
    NorvikWdmPinConfig stored{};
    if (found != pinConfigs_.end())
        stored = found->second;
    stored.direction = config.direction;
    stored.endpointIndex = config.endpointIndex;
    request.WriteOut(stored);
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus SimUnit::SetEndpointVolume(uint32_t index, const int32_t* levels, const uint32_t* switches,
                                        uint32_t count)
{
    if (index >= EndpointCount(kRenderDirection))
        return NORVIK_STATUS_OBJECT_NOT_FOUND;
    NorvikWdmPinConfig& config = pinConfigs_[PinConfigKey(kRenderDirection, index)];
    config.direction = kRenderDirection;
    config.endpointIndex = index;
    for (uint32_t i = 0; i < count && i < 16; ++i)
    {
        config.levels[i] = levels[i];
        config.switches[i] = switches[i];
    }
    return NORVIK_STATUS_SUCCESS;
}

std::vector<SimChannel> SimUnit::Channels(bool outputs) const
{
    std::vector<SimChannel> channels;
    if (channelNamesSent_)
    {
        const NorvikChannelNameHalf& half = outputs ? channelNames_.outputs : channelNames_.inputs;
        for (uint32_t i = 0; i < half.count; ++i)
        {
            const NorvikChannelNameEntry& entry = half.entries[i];
            channels.push_back(SimChannel{entry.kind, entry.pairIndex * 2 + entry.side, entry.name});
        }
        return channels;
    }
    AddDefaultChannels(&channels, 1, 16, outputs ? L"Analog Out %u" : L"Analog In %u");
    AddDefaultChannels(&channels, 10, 2, outputs ? L"SPDIF Out %u" : L"SPDIF In %u");
    if (!outputs)
        AddDefaultChannels(&channels, 40, 8, L"Virtual In %u");
    return channels;
}

void SimUnit::DumpWdmTo(nlohmann::json& out) const
{
    out["kind2Topology"] = kind2Topology_;
    nlohmann::json config = nullptr;
    if (wdmConfigSent_)
    {
        config = nlohmann::json::array();
        for (uint32_t i = 0; i < wdmConfig_.count; ++i)
            config.push_back({wdmConfig_.pairs[i].kind, wdmConfig_.pairs[i].value});
    }
    out["wdmConfig"] = config;
    out["channelNames"] = channelNamesSent_ ? nlohmann::json{{"inputs", NamesJson(channelNames_.inputs)},
                                                             {"outputs", NamesJson(channelNames_.outputs)}}
                                            : nlohmann::json(nullptr);
    out["wdmEndpoints"] = endpointsSent_ ? nlohmann::json{{"capture", EndpointsJson(endpoints_.capture)},
                                                          {"render", EndpointsJson(endpoints_.render)}}
                                         : nlohmann::json(nullptr);
    nlohmann::json pins = nlohmann::json::array();
    for (const auto& entry : pinConfigs_)
    {
        const NorvikWdmPinConfig& c = entry.second;
        pins.push_back({{"direction", c.direction},
                        {"index", c.endpointIndex},
                        {"levels", c.levels},
                        {"switches", c.switches}});
    }
    out["wdmPinConfigs"] = pins;
    nlohmann::json selection = nlohmann::json::object();
    for (const auto& entry : endpointSelection_)
        selection[std::to_string(entry.first)] = entry.second;
    out["endpointSelection"] = selection;
}
