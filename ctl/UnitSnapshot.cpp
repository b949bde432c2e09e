#include "ctl/UnitSnapshot.h"

#include "ctl/CtlOutput.h"

#include <functional>
#include <utility>

namespace
{
constexpr char kFormatName[] = "corvexctl snapshot";

// ---- Reading the unit and writing the file -----------------------------------------------------------

std::vector<GainSetting> VolumesOf(const UnitMixer& mixer)
{
    std::vector<GainSetting> volumes;
    for (uint32_t output = 0; output < mixer.Outputs(); ++output)
    {
        volumes.push_back({mixer.Volume(output).volume, (mixer.Volume(output).flags & 1) != 0});
    }
    return volumes;
}

std::vector<GainSetting> WeightsOf(const UnitMixer& mixer)
{
    std::vector<GainSetting> weights;
    for (uint32_t input = 0; input < mixer.Inputs(); ++input)
    {
        for (uint32_t output = 0; output < mixer.Outputs(); ++output)
        {
            weights.push_back(
                {mixer.Weight(input, output).weight, (mixer.Weight(input, output).flags & 1) != 0});
        }
    }
    return weights;
}

nlohmann::json PinsJson(const std::vector<NorvikPin>& pins)
{
    nlohmann::json list = nlohmann::json::array();
    for (const NorvikPin& pin : pins)
    {
        list.push_back({pin.kind, pin.channel});
    }
    return list;
}

nlohmann::json GainJson(const GainSetting& setting, const char* valueName, const char* flagName)
{
    return {{valueName, setting.value}, {flagName, setting.on}};
}

// Rows of crosspoints, one row per mixer input.
nlohmann::json WeightsJson(const std::vector<GainSetting>& weights, size_t outputs)
{
    nlohmann::json rows = nlohmann::json::array();
    for (size_t first = 0; outputs != 0 && first < weights.size(); first += outputs)
    {
        nlohmann::json row = nlohmann::json::array();
        for (size_t i = first; i < first + outputs; ++i)
        {
            row.push_back(GainJson(weights[i], "weight", "connected"));
        }
        rows.push_back(row);
    }
    return rows;
}

// ---- Reading the file: every member is checked for its type and range before it is used ---------------

// Null when `object` is missing, is not an object, or has no such member.
const nlohmann::json* Member(const nlohmann::json* object, const char* name)
{
    if (object == nullptr || !object->is_object())
    {
        return nullptr;
    }
    const auto found = object->find(name);
    return found == object->end() ? nullptr : &*found;
}

bool ReadInteger(const nlohmann::json* value, int64_t min, int64_t max, int64_t* result)
{
    if (value == nullptr || !value->is_number_integer())
    {
        return false;
    }
    if (value->is_number_unsigned())
    {
        const uint64_t unsignedValue = value->get<uint64_t>();
        if (unsignedValue > static_cast<uint64_t>(max))
        {
            return false;
        }
        *result = static_cast<int64_t>(unsignedValue);
        return *result >= min;
    }
    *result = value->get<int64_t>();
    return *result >= min && *result <= max;
}

bool ReadBool(const nlohmann::json* value, bool* result)
{
    if (value == nullptr || !value->is_boolean())
    {
        return false;
    }
    *result = value->get<bool>();
    return true;
}

bool ReadPins(const nlohmann::json* value, size_t max, std::vector<NorvikPin>* pins)
{
    if (value == nullptr || !value->is_array() || value->size() > max || value->size() % 2 != 0)
    {
        return false;
    }
    for (const nlohmann::json& entry : *value)
    {
        int64_t kind = 0;
        int64_t channel = 0;
        if (!entry.is_array() || entry.size() != 2 || !ReadInteger(&entry[0], 0, 255, &kind) ||
            !ReadInteger(&entry[1], 0, 255, &channel))
        {
            return false;
        }
        pins->push_back(NorvikPin{static_cast<uint8_t>(kind), static_cast<uint8_t>(channel), {}});
    }
    return true;
}

bool ReadGain(const nlohmann::json& value, const char* valueName, const char* flagName, GainSetting* setting)
{
    int64_t gain = 0;
    if (!ReadInteger(Member(&value, valueName), INT16_MIN, INT16_MAX, &gain) ||
        !ReadBool(Member(&value, flagName), &setting->on))
    {
        return false;
    }
    setting->value = static_cast<int16_t>(gain);
    return true;
}

bool ReadVolumes(const nlohmann::json* value, size_t outputs, std::vector<GainSetting>* volumes)
{
    if (value == nullptr || !value->is_array() || value->size() != outputs)
    {
        return false;
    }
    volumes->resize(outputs);
    for (size_t i = 0; i < outputs; ++i)
    {
        if (!ReadGain((*value)[i], "volume", "mute", &(*volumes)[i]))
        {
            return false;
        }
    }
    return true;
}

bool ReadWeights(const nlohmann::json* value, size_t inputs, size_t outputs,
                 std::vector<GainSetting>* weights)
{
    if (value == nullptr || !value->is_array() || value->size() != inputs)
    {
        return false;
    }
    for (const nlohmann::json& row : *value)
    {
        if (!row.is_array() || row.size() != outputs)
        {
            return false;
        }
        for (const nlohmann::json& cell : row)
        {
            GainSetting setting;
            if (!ReadGain(cell, "weight", "connected", &setting))
            {
                return false;
            }
            weights->push_back(setting);
        }
    }
    return true;
}

bool ReadEffect(const nlohmann::json* value, UnitSnapshot* snapshot)
{
    if (value == nullptr || !value->is_array() || value->size() != snapshot->effectChannels)
    {
        return false;
    }
    for (const nlohmann::json& channel : *value)
    {
        int64_t delay = 0;
        int64_t amplification = 0;
        if (!ReadInteger(Member(&channel, "delay"), 0, UINT32_MAX, &delay) ||
            !ReadInteger(Member(&channel, "amplification"), 0, UnitEffect::kMaxAmplification, &amplification))
        {
            return false;
        }
        snapshot->delays.push_back(static_cast<uint32_t>(delay));
        snapshot->amplifications.push_back(static_cast<uint32_t>(amplification));
    }
    return true;
}

// ---- Writing the differences ------------------------------------------------------------------------

template <class Item>
NorvikStatus SetItems(std::vector<Item>& items, NorvikStatus (NorvikDevice::*set)(Item*, uint32_t),
                      NorvikDevice& device)
{
    return items.empty() ? NORVIK_STATUS_SUCCESS
                         : (device.*set)(items.data(), static_cast<uint32_t>(items.size()));
}

std::vector<NorvikWeightItem> ChangedWeights(const UnitMixer& mixer, const std::vector<GainSetting>& wanted)
{
    std::vector<NorvikWeightItem> items;
    for (uint32_t input = 0; input < mixer.Inputs(); ++input)
    {
        for (uint32_t output = 0; output < mixer.Outputs(); ++output)
        {
            NorvikWeightItem item = mixer.Weight(input, output);
            const GainSetting& setting = wanted[input * mixer.Outputs() + output];
            if (setting != GainSetting{item.weight, (item.flags & 1) != 0})
            {
                item.weight = setting.value;
                item.flags = static_cast<uint8_t>(setting.on ? (item.flags | 1u) : (item.flags & ~1u));
                items.push_back(item);
            }
        }
    }
    return items;
}

std::vector<std::pair<uint32_t, uint32_t>> ChangedEffect(const std::vector<uint32_t>& wanted,
                                                         uint32_t (UnitEffect::*current)(uint32_t) const,
                                                         const UnitEffect& effect)
{
    std::vector<std::pair<uint32_t, uint32_t>> values;
    for (uint32_t channel = 0; channel < wanted.size(); ++channel)
    {
        if (wanted[channel] != (effect.*current)(channel))
        {
            values.push_back({channel, wanted[channel]});
        }
    }
    return values;
}
} // namespace

NorvikStatus ReadUnitState(NorvikDevice& device, UnitState* state, const wchar_t** what)
{
    NorvikStatus status = state->hardware.Read(device, true, what);
    if (status == NORVIK_STATUS_SUCCESS)
    {
        status = state->software.Read(device, false, what);
    }
    if (status != NORVIK_STATUS_SUCCESS)
    {
        return status;
    }
    const struct
    {
        const wchar_t* what;
        NorvikStatus status;
    } reads[] = {
        {L"Reading SPDIF pass through", device.GetSpdifPassThrough(0, 0, &state->passThrough)},
        {L"Reading the bypass switches", device.GetVolumeBypass(&state->volumeBypass)},
        {L"Reading the bypass switches", device.GetMuteBypass(&state->muteBypass)},
    };
    for (const auto& read : reads)
    {
        if (read.status != NORVIK_STATUS_SUCCESS)
        {
            *what = read.what;
            return read.status;
        }
    }
    state->hasEffect = device.HasPlugin();
    *what = L"Reading the effect";
    return state->hasEffect ? state->effect.Read(device) : NORVIK_STATUS_SUCCESS;
}

UnitSnapshot SnapshotOf(const UnitState& state)
{
    UnitSnapshot snapshot;
    snapshot.outputs = state.hardware.OutputPins();
    snapshot.hardwareInputs = state.hardware.InputPins();
    snapshot.softwareOutputs = state.software.InputPins();
    snapshot.volumes = VolumesOf(state.hardware);
    snapshot.hardwareWeights = WeightsOf(state.hardware);
    snapshot.softwareWeights = WeightsOf(state.software);
    snapshot.passThrough = state.passThrough;
    snapshot.volumeBypass = state.volumeBypass;
    snapshot.muteBypass = state.muteBypass;
    snapshot.effectChannels = state.hasEffect ? state.effect.Channels() : 0;
    for (uint32_t channel = 0; channel < snapshot.effectChannels; ++channel)
    {
        snapshot.delays.push_back(state.effect.Delay(channel));
        snapshot.amplifications.push_back(state.effect.Amplification(channel));
    }
    return snapshot;
}

bool SameLayout(const UnitSnapshot& a, const UnitSnapshot& b)
{
    const auto samePins = [](const std::vector<NorvikPin>& x, const std::vector<NorvikPin>& y)
    {
        if (x.size() != y.size())
        {
            return false;
        }
        for (size_t i = 0; i < x.size(); ++i)
        {
            if (x[i].kind != y[i].kind || x[i].channel != y[i].channel)
            {
                return false;
            }
        }
        return true;
    };
    return samePins(a.outputs, b.outputs) && samePins(a.hardwareInputs, b.hardwareInputs) &&
           samePins(a.softwareOutputs, b.softwareOutputs) && a.effectChannels == b.effectChannels;
}

std::wstring LayoutText(const UnitSnapshot& snapshot)
{
    return FormatText(L"%u mixer outputs, %u hardware inputs, %u software outputs, %u effect channels",
                      static_cast<unsigned>(snapshot.outputs.size()),
                      static_cast<unsigned>(snapshot.hardwareInputs.size()),
                      static_cast<unsigned>(snapshot.softwareOutputs.size()), snapshot.effectChannels);
}

std::string SnapshotJson(const UnitSnapshot& snapshot, const std::wstring& serial)
{
    nlohmann::json volumes = nlohmann::json::array();
    for (const GainSetting& volume : snapshot.volumes)
    {
        volumes.push_back(GainJson(volume, "volume", "mute"));
    }
    nlohmann::json effect = nlohmann::json::array();
    for (uint32_t channel = 0; channel < snapshot.effectChannels; ++channel)
    {
        effect.push_back(
            {{"delay", snapshot.delays[channel]}, {"amplification", snapshot.amplifications[channel]}});
    }
    const nlohmann::json document = {
        {"format", kFormatName},
        {"version", UnitSnapshot::kFormatVersion},
        {"serial", Utf8(serial)},
        {"layout",
         {{"outputs", PinsJson(snapshot.outputs)},
          {"hardwareInputs", PinsJson(snapshot.hardwareInputs)},
          {"softwareOutputs", PinsJson(snapshot.softwareOutputs)},
          {"effectChannels", snapshot.effectChannels}}},
        {"volumes", volumes},
        {"crosspoints",
         {{"hw", WeightsJson(snapshot.hardwareWeights, snapshot.outputs.size())},
          {"sw", WeightsJson(snapshot.softwareWeights, snapshot.outputs.size())}}},
        {"spdifPassThrough", snapshot.passThrough},
        {"volumeBypass", snapshot.volumeBypass},
        {"muteBypass", snapshot.muteBypass},
        {"effect", effect},
    };
    return document.dump(1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

bool ParseSnapshot(const std::string& text, UnitSnapshot* snapshot, std::wstring* problem)
{
    const nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
    const nlohmann::json* format = Member(&document, "format");
    int64_t version = 0;
    if (format == nullptr || !format->is_string() || format->get<std::string>() != kFormatName)
    {
        *problem = L"The file is not a corvexctl snapshot.";
        return false;
    }
    if (!ReadInteger(Member(&document, "version"), 1, UnitSnapshot::kFormatVersion, &version))
    {
        *problem = L"The snapshot's format version is not one this corvexctl reads.";
        return false;
    }
    const nlohmann::json* layout = Member(&document, "layout");
    const nlohmann::json* crosspoints = Member(&document, "crosspoints");
    int64_t effectChannels = 0;
    // In this order: the counts of the later members come from the layout read before them.
    const std::pair<const char*, std::function<bool()>> checks[] = {
        {"layout.outputs",
         [&] { return ReadPins(Member(layout, "outputs"), UnitMixer::kMaxOutputs, &snapshot->outputs); }},
        {"layout.hardwareInputs",
         [&] {
             return ReadPins(Member(layout, "hardwareInputs"), UnitMixer::kMaxInputs,
                             &snapshot->hardwareInputs);
         }},
        {"layout.softwareOutputs",
         [&] {
             return ReadPins(Member(layout, "softwareOutputs"), UnitMixer::kMaxInputs,
                             &snapshot->softwareOutputs);
         }},
        {"layout.effectChannels",
         [&]
         {
             const bool valid =
                 ReadInteger(Member(layout, "effectChannels"), 0, UnitEffect::kMaxChannels, &effectChannels);
             snapshot->effectChannels = static_cast<uint32_t>(effectChannels);
             return valid;
         }},
        {"volumes", [&]
         { return ReadVolumes(Member(&document, "volumes"), snapshot->outputs.size(), &snapshot->volumes); }},
        {"crosspoints.hw",
         [&]
         {
             return ReadWeights(Member(crosspoints, "hw"), snapshot->hardwareInputs.size(),
                                snapshot->outputs.size(), &snapshot->hardwareWeights);
         }},
        {"crosspoints.sw",
         [&]
         {
             return ReadWeights(Member(crosspoints, "sw"), snapshot->softwareOutputs.size(),
                                snapshot->outputs.size(), &snapshot->softwareWeights);
         }},
        {"spdifPassThrough",
         [&] { return ReadBool(Member(&document, "spdifPassThrough"), &snapshot->passThrough); }},
        {"volumeBypass",
         [&] { return ReadBool(Member(&document, "volumeBypass"), &snapshot->volumeBypass); }},
        {"muteBypass", [&] { return ReadBool(Member(&document, "muteBypass"), &snapshot->muteBypass); }},
        {"effect", [&] { return ReadEffect(Member(&document, "effect"), snapshot); }},
    };
    for (const auto& check : checks)
    {
        if (!check.second())
        {
            *problem = L"The snapshot's member " + FromUtf8(check.first) + L" is missing or malformed.";
            return false;
        }
    }
    return true;
}

NorvikStatus ApplySnapshot(NorvikDevice& device, const UnitState& current, const UnitSnapshot& wanted,
                           uint32_t* changed, const wchar_t** what)
{
    *changed = 0;
    std::vector<NorvikVolumeItem> volumes;
    for (uint32_t output = 0; output < current.hardware.Outputs(); ++output)
    {
        NorvikVolumeItem item = current.hardware.Volume(output);
        if (wanted.volumes[output] != GainSetting{item.volume, (item.flags & 1) != 0})
        {
            item.volume = wanted.volumes[output].value;
            item.flags =
                static_cast<uint8_t>(wanted.volumes[output].on ? (item.flags | 1u) : (item.flags & ~1u));
            volumes.push_back(item);
        }
    }
    std::vector<NorvikWeightItem> hardwareWeights = ChangedWeights(current.hardware, wanted.hardwareWeights);
    std::vector<NorvikWeightItem> softwareWeights = ChangedWeights(current.software, wanted.softwareWeights);
    const auto delays = ChangedEffect(wanted.delays, &UnitEffect::Delay, current.effect);
    const auto amplifications =
        ChangedEffect(wanted.amplifications, &UnitEffect::Amplification, current.effect);

    *what = L"Setting the output volumes";
    NorvikStatus status = SetItems(volumes, &NorvikDevice::SetPinVolumes, device);
    *changed += static_cast<uint32_t>(volumes.size());
    const struct
    {
        const wchar_t* what;
        size_t count;
        std::function<NorvikStatus()> write;
    } writes[] = {
        {L"Setting the crosspoint weights", hardwareWeights.size(),
         [&] { return SetItems(hardwareWeights, &NorvikDevice::SetCrosspointWeights, device); }},
        {L"Setting the crosspoint weights", softwareWeights.size(),
         [&] { return SetItems(softwareWeights, &NorvikDevice::SetCrosspointWeights, device); }},
        {L"Set SPDIF pass through", wanted.passThrough != current.passThrough ? 1u : 0u,
         [&] { return device.SetSpdifPassThrough(0, 0, wanted.passThrough); }},
        {L"Set Bypass volume", wanted.volumeBypass != current.volumeBypass ? 1u : 0u,
         [&] { return device.SetVolumeBypass(wanted.volumeBypass); }},
        {L"Set Bypass mute", wanted.muteBypass != current.muteBypass ? 1u : 0u,
         [&] { return device.SetMuteBypass(wanted.muteBypass); }},
        {L"Setting the effect delay", delays.size(),
         [&] { return UnitEffect::Set(device, NORVIK_PLUGIN_DELAY, delays); }},
        {L"Setting the effect amplification", amplifications.size(),
         [&] { return UnitEffect::Set(device, NORVIK_PLUGIN_AMPLIFICATION, amplifications); }},
    };
    for (const auto& write : writes)
    {
        if (status != NORVIK_STATUS_SUCCESS)
        {
            return status;
        }
        if (write.count != 0)
        {
            *what = write.what;
            status = write.write();
            *changed += static_cast<uint32_t>(write.count);
        }
    }
    return status;
}
