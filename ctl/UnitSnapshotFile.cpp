// The snapshot file: JSON written from a snapshot, and read back with every member checked for its type,
// count and range before it is used.
#include "ctl/UnitSnapshot.h"

#include "driverapi/MixerPins.h"
#include "driverapi/NorvikValueTexts.h"
#include "wn/WnText.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <utility>

namespace
{
constexpr char kFormatName[] = "corvexctl snapshot";

nlohmann::json PinsJson(const std::vector<NorvikPin>& pins)
{
    nlohmann::json list = nlohmann::json::array();
    for (const NorvikPin& pin : pins)
        list.push_back({pin.kind, pin.channel});
    return list;
}

nlohmann::json VolumeJson(const VolumeSetting& setting)
{
    return {{"volume", setting.volume}, {"mute", setting.muted}};
}

nlohmann::json WeightJson(const WeightSetting& setting)
{
    return {{"weight", setting.weight}, {"connected", setting.connected}};
}

// Rows of crosspoints, one row per mixer input.
nlohmann::json WeightsJson(const std::vector<WeightSetting>& weights, size_t outputs)
{
    nlohmann::json rows = nlohmann::json::array();
    for (size_t first = 0; outputs != 0 && first < weights.size(); first += outputs)
    {
        nlohmann::json row = nlohmann::json::array();
        for (size_t i = first; i < first + outputs; ++i)
            row.push_back(WeightJson(weights[i]));
        rows.push_back(row);
    }
    return rows;
}

// Null when `object` is missing, is not an object, or has no such member.
const nlohmann::json* Member(const nlohmann::json* object, const char* name)
{
    if (object == nullptr || !object->is_object())
        return nullptr;
    const auto found = object->find(name);
    return found == object->end() ? nullptr : &*found;
}

bool ReadInteger(const nlohmann::json* value, int64_t min, int64_t max, int64_t* result)
{
    if (value == nullptr || !value->is_number_integer())
        return false;
    if (value->is_number_unsigned())
    {
        const uint64_t unsignedValue = value->get<uint64_t>();
        if (unsignedValue > static_cast<uint64_t>(max))
            return false;
        *result = static_cast<int64_t>(unsignedValue);
        return *result >= min;
    }
    *result = value->get<int64_t>();
    return *result >= min && *result <= max;
}

bool ReadBool(const nlohmann::json* value, bool* result)
{
    if (value == nullptr || !value->is_boolean())
        return false;
    *result = value->get<bool>();
    return true;
}

bool ReadPins(const nlohmann::json* value, size_t max, std::vector<NorvikPin>* pins)
{
    if (value == nullptr || !value->is_array() || value->size() > max || value->size() % 2 != 0)
        return false;
    for (const nlohmann::json& entry : *value)
    {
        int64_t kind = 0;
        int64_t channel = 0;
        if (!entry.is_array() || entry.size() != 2 || !ReadInteger(&entry[0], 0, 255, &kind) ||
            !ReadInteger(&entry[1], 0, 255, &channel))
            return false;
        pins->push_back(NorvikPin{static_cast<uint8_t>(kind), static_cast<uint8_t>(channel), {}});
    }
    return true;
}

// A gain and its switch, such as {"volume": -650, "mute": false}.
bool ReadGain(const nlohmann::json& value, const char* gainName, const char* switchName, int16_t* gain,
              bool* on)
{
    int64_t hundredths = 0;
    // Held to the faders' range, as a typed gain is.
    if (!ReadInteger(Member(&value, gainName), kFaderGainFloor, kFaderGainTop, &hundredths) ||
        !ReadBool(Member(&value, switchName), on))
        return false;
    *gain = static_cast<int16_t>(hundredths);
    return true;
}

bool ReadVolumes(const nlohmann::json* value, size_t outputs, std::vector<VolumeSetting>* volumes)
{
    if (value == nullptr || !value->is_array() || value->size() != outputs)
        return false;
    volumes->resize(outputs);
    for (size_t i = 0; i < outputs; ++i)
    {
        VolumeSetting& volume = (*volumes)[i];
        if (!ReadGain((*value)[i], "volume", "mute", &volume.volume, &volume.muted))
            return false;
    }
    return true;
}

bool ReadWeights(const nlohmann::json* value, size_t inputs, size_t outputs,
                 std::vector<WeightSetting>* weights)
{
    if (value == nullptr || !value->is_array() || value->size() != inputs)
        return false;
    for (const nlohmann::json& row : *value)
    {
        if (!row.is_array() || row.size() != outputs)
            return false;
        for (const nlohmann::json& cell : row)
        {
            WeightSetting weight;
            if (!ReadGain(cell, "weight", "connected", &weight.weight, &weight.connected))
                return false;
            weights->push_back(weight);
        }
    }
    return true;
}

bool ReadEffect(const nlohmann::json* value, UnitSnapshot* snapshot)
{
    if (value == nullptr || !value->is_array() || value->size() != snapshot->effectChannels)
        return false;
    for (const nlohmann::json& channel : *value)
    {
        int64_t delay = 0;
        int64_t amplification = 0;
        if (!ReadInteger(Member(&channel, "delay"), 0, UINT32_MAX, &delay) ||
            !ReadInteger(Member(&channel, "amplification"), 0, kMaxEffectAmplification, &amplification))
            return false;
        snapshot->delays.push_back(static_cast<uint32_t>(delay));
        snapshot->amplifications.push_back(static_cast<uint32_t>(amplification));
    }
    return true;
}

using MemberCheck = std::pair<const char*, std::function<bool()>>;

// Runs the checks in order; false with the problem of the first that fails.
template <size_t N> bool CheckMembers(const MemberCheck (&checks)[N], std::wstring* problem)
{
    for (const MemberCheck& check : checks)
    {
        if (!check.second())
        {
            *problem = L"The snapshot's member " + FromUtf8(check.first) + L" is missing or malformed.";
            return false;
        }
    }
    return true;
}

bool ReadFormat(const nlohmann::json& document, std::wstring* problem)
{
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
    return true;
}

bool ReadLayout(const nlohmann::json* layout, UnitSnapshot* snapshot, std::wstring* problem)
{
    int64_t effectChannels = 0;
    const MemberCheck checks[] = {
        {"layout.outputs",
         [&] { return ReadPins(Member(layout, "outputs"), kMaxMixerOutputPins, &snapshot->outputs); }},
        {"layout.hardwareInputs",
         [&] {
             return ReadPins(Member(layout, "hardwareInputs"), kMaxMixerInputPins, &snapshot->hardwareInputs);
         }},
        {"layout.softwareOutputs",
         [&] {
             return ReadPins(Member(layout, "softwareOutputs"), kMaxMixerInputPins,
                             &snapshot->softwareOutputs);
         }},
        {"layout.effectChannels", [&]
         { return ReadInteger(Member(layout, "effectChannels"), 0, kMaxEffectChannels, &effectChannels); }},
    };
    const bool valid = CheckMembers(checks, problem);
    snapshot->effectChannels = static_cast<uint32_t>(effectChannels);
    return valid;
}

bool ReadSettings(const nlohmann::json& document, UnitSnapshot* snapshot, std::wstring* problem)
{
    const nlohmann::json* crosspoints = Member(&document, "crosspoints");
    const MemberCheck checks[] = {
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
    return CheckMembers(checks, problem);
}
} // namespace

std::string SnapshotJson(const UnitSnapshot& snapshot, const std::wstring& serial)
{
    nlohmann::json volumes = nlohmann::json::array();
    for (const VolumeSetting& volume : snapshot.volumes)
        volumes.push_back(VolumeJson(volume));
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
    // In this order: the counts of the settings come from the layout.
    return ReadFormat(document, problem) && ReadLayout(Member(&document, "layout"), snapshot, problem) &&
           ReadSettings(document, snapshot, problem);
}
