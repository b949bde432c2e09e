#include "ctl/UnitSnapshot.h"

#include "wn/WnText.h"

#include <functional>

namespace
{
VolumeSetting SettingOf(const NorvikVolumeItem& item)
{
    return {item.volume, item.IsMuted()};
}

WeightSetting SettingOf(const NorvikWeightItem& item)
{
    return {item.weight, item.IsConnected()};
}

void Apply(const VolumeSetting& setting, NorvikVolumeItem* item)
{
    item->volume = setting.volume;
    item->SetMuted(setting.muted);
}

void Apply(const WeightSetting& setting, NorvikWeightItem* item)
{
    item->weight = setting.weight;
    item->SetConnected(setting.connected);
}

template <class Item> auto SettingsOf(const std::vector<Item>& items)
{
    std::vector<decltype(SettingOf(Item{}))> settings;
    for (const Item& item : items)
        settings.push_back(SettingOf(item));
    return settings;
}

bool SamePins(const std::vector<NorvikPin>& x, const std::vector<NorvikPin>& y)
{
    if (x.size() != y.size())
        return false;
    for (size_t i = 0; i < x.size(); ++i)
        if (x[i].kind != y[i].kind || x[i].channel != y[i].channel)
            return false;
    return true;
}

// ---- Writing the differences ------------------------------------------------------------------------

// The items whose settings differ from `wanted` (one setting per item, in item order), changed to them.
template <class Item, class Setting>
std::vector<Item> Changed(const std::vector<Item>& current, const std::vector<Setting>& wanted)
{
    std::vector<Item> items;
    for (size_t i = 0; i < current.size(); ++i)
    {
        if (wanted[i] != SettingOf(current[i]))
        {
            items.push_back(current[i]);
            Apply(wanted[i], &items.back());
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
        if (wanted[channel] != (effect.*current)(channel))
            values.push_back({channel, wanted[channel]});
    return values;
}

// One request of a load: what it is called when it fails, how many settings it writes (none: it is not
// sent), and the request, which counts in *written what went through before a failure.
struct SnapshotWrite
{
    const wchar_t* what;
    size_t count;
    std::function<NorvikStatus(uint32_t* written)> write;
};

template <size_t N>
NorvikStatus RunWrites(const SnapshotWrite (&writes)[N], uint32_t* changed, const wchar_t** what)
{
    // Only writes that went through are counted: after a failure the count says what the unit now holds.
    for (const SnapshotWrite& write : writes)
    {
        if (write.count == 0)
            continue;
        *what = write.what;
        uint32_t written = 0;
        const NorvikStatus status = write.write(&written);
        if (status != NORVIK_STATUS_SUCCESS)
        {
            *changed += written;
            return status;
        }
        *changed += static_cast<uint32_t>(write.count);
    }
    return NORVIK_STATUS_SUCCESS;
}
} // namespace

NorvikStatus ReadUnitState(NorvikDevice& device, UnitState* state, const wchar_t** what)
{
    NorvikStatus status = state->hardware.Read(device, true, what);
    if (status == NORVIK_STATUS_SUCCESS)
        status = state->software.Read(device, false, what);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    // A snapshot keeps one set of outputs for both mixers; pins that changed between the two reads, or a
    // driver that answers otherwise, would have them read and written past each other.
    if (!SamePins(state->hardware.OutputPins(), state->software.OutputPins()))
    {
        *what = L"Reading the same outputs from both mixers";
        return NORVIK_STATUS_CHANNEL_CONFIG_CHANGED;
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
    snapshot.volumes = SettingsOf(state.hardware.Volumes());
    snapshot.hardwareWeights = SettingsOf(state.hardware.Weights());
    snapshot.softwareWeights = SettingsOf(state.software.Weights());
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
    return SamePins(a.outputs, b.outputs) && SamePins(a.hardwareInputs, b.hardwareInputs) &&
           SamePins(a.softwareOutputs, b.softwareOutputs) && a.effectChannels == b.effectChannels;
}

std::wstring LayoutText(const UnitSnapshot& snapshot)
{
    return FormatText(L"%u mixer outputs, %u hardware inputs, %u software outputs, %u effect channels",
                      static_cast<unsigned>(snapshot.outputs.size()),
                      static_cast<unsigned>(snapshot.hardwareInputs.size()),
                      static_cast<unsigned>(snapshot.softwareOutputs.size()), snapshot.effectChannels);
}

std::wstring PinOrderDifference(const UnitSnapshot& snapshot, const UnitSnapshot& unit)
{
    const struct
    {
        const wchar_t* name;
        MixerSide side;
        const std::vector<NorvikPin>& inSnapshot;
        const std::vector<NorvikPin>& onUnit;
    } lists[] = {
        {L"mixer outputs", MixerSide::Column, snapshot.outputs, unit.outputs},
        {L"hardware inputs", MixerSide::Row, snapshot.hardwareInputs, unit.hardwareInputs},
        {L"software outputs", MixerSide::Row, snapshot.softwareOutputs, unit.softwareOutputs},
    };
    for (const auto& list : lists)
    {
        if (list.inSnapshot.size() != list.onUnit.size())
            return std::wstring();
        // Both lists hold whole pairs.
        for (size_t left = 0; left + 1 < list.inSnapshot.size(); left += 2)
        {
            const std::vector<NorvikPin> was(&list.inSnapshot[left], &list.inSnapshot[left] + 2);
            const std::vector<NorvikPin> is(&list.onUnit[left], &list.onUnit[left] + 2);
            if (SamePins(was, is))
                continue;
            return FormatText(L"%s %u/%u are %s in the snapshot and %s on the unit.", list.name,
                              static_cast<unsigned>(left + 1), static_cast<unsigned>(left + 2),
                              MixerPairLabel(list.side, was[0], was[1]).c_str(),
                              MixerPairLabel(list.side, is[0], is[1]).c_str());
        }
    }
    return std::wstring();
}

NorvikStatus ApplySnapshot(NorvikDevice& device, const UnitState& current, const UnitSnapshot& wanted,
                           uint32_t* changed, const wchar_t** what)
{
    *changed = 0;
    std::vector<NorvikVolumeItem> volumes = Changed(current.hardware.Volumes(), wanted.volumes);
    std::vector<NorvikWeightItem> hardwareWeights =
        Changed(current.hardware.Weights(), wanted.hardwareWeights);
    std::vector<NorvikWeightItem> softwareWeights =
        Changed(current.software.Weights(), wanted.softwareWeights);
    const auto delays = ChangedEffect(wanted.delays, &UnitEffect::Delay, current.effect);
    const auto amplifications =
        ChangedEffect(wanted.amplifications, &UnitEffect::Amplification, current.effect);
    const auto count = [](const auto& items) { return static_cast<uint32_t>(items.size()); };
    const SnapshotWrite writes[] = {
        {L"Setting the output volumes", volumes.size(),
         [&](uint32_t*) { return device.SetPinVolumes(volumes.data(), count(volumes)); }},
        {L"Setting the crosspoint weights", hardwareWeights.size(),
         [&](uint32_t*)
         { return device.SetCrosspointWeights(hardwareWeights.data(), count(hardwareWeights)); }},
        {L"Setting the crosspoint weights", softwareWeights.size(),
         [&](uint32_t*)
         { return device.SetCrosspointWeights(softwareWeights.data(), count(softwareWeights)); }},
        {L"Set SPDIF pass through", wanted.passThrough != current.passThrough ? 1u : 0u,
         [&](uint32_t*) { return device.SetSpdifPassThrough(0, 0, wanted.passThrough); }},
        {L"Set Bypass volume", wanted.volumeBypass != current.volumeBypass ? 1u : 0u,
         [&](uint32_t*) { return device.SetVolumeBypass(wanted.volumeBypass); }},
        {L"Set Bypass mute", wanted.muteBypass != current.muteBypass ? 1u : 0u,
         [&](uint32_t*) { return device.SetMuteBypass(wanted.muteBypass); }},
        {L"Setting the effect delay", delays.size(),
         [&](uint32_t* written) { return UnitEffect::Set(device, NORVIK_PLUGIN_DELAY, delays, written); }},
        {L"Setting the effect amplification", amplifications.size(),
         [&](uint32_t* written)
         { return UnitEffect::Set(device, NORVIK_PLUGIN_AMPLIFICATION, amplifications, written); }},
    };
    return RunWrites(writes, changed, what);
}
