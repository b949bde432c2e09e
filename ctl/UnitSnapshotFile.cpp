// The snapshot file: JSON written from a snapshot, and read back with every member checked for its type,
// count and range before it is used.
#include "ctl/UnitSnapshot.h"

#include "ctl/CtlArguments.h"
#include "ctl/CtlOutput.h"

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
            row.push_back(GainJson(weights[i], "weight", "connected"));
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

bool ReadGain(const nlohmann::json& value, const char* valueName, const char* flagName, GainSetting* setting)
{
    int64_t gain = 0;
    // Held to the faders' range, as a typed gain is.
    if (!ReadInteger(Member(&value, valueName), kFaderGainFloor, kFaderGainTop, &gain) ||
        !ReadBool(Member(&value, flagName), &setting->on))
        return false;
    setting->value = static_cast<int16_t>(gain);
    return true;
}

bool ReadVolumes(const nlohmann::json* value, size_t outputs, std::vector<GainSetting>* volumes)
{
    if (value == nullptr || !value->is_array() || value->size() != outputs)
        return false;
    volumes->resize(outputs);
    for (size_t i = 0; i < outputs; ++i)
        if (!ReadGain((*value)[i], "volume", "mute", &(*volumes)[i]))
            return false;
    return true;
}

bool ReadWeights(const nlohmann::json* value, size_t inputs, size_t outputs,
                 std::vector<GainSetting>* weights)
{
    if (value == nullptr || !value->is_array() || value->size() != inputs)
        return false;
    for (const nlohmann::json& row : *value)
    {
        if (!row.is_array() || row.size() != outputs)
            return false;
        for (const nlohmann::json& cell : row)
        {
            GainSetting setting;
            if (!ReadGain(cell, "weight", "connected", &setting))
                return false;
            weights->push_back(setting);
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
            !ReadInteger(Member(&channel, "amplification"), 0, UnitEffect::kMaxAmplification, &amplification))
            return false;
        snapshot->delays.push_back(static_cast<uint32_t>(delay));
        snapshot->amplifications.push_back(static_cast<uint32_t>(amplification));
    }
    return true;
}

} // namespace

std::string SnapshotJson(const UnitSnapshot& snapshot, const std::wstring& serial)
{
    nlohmann::json volumes = nlohmann::json::array();
    for (const GainSetting& volume : snapshot.volumes)
        volumes.push_back(GainJson(volume, "volume", "mute"));
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
