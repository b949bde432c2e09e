#include "ctl/UnitSnapshot.h"

#include "ctl/CtlOutput.h"

#include <functional>

namespace
{
std::vector<GainSetting> VolumesOf(const UnitMixer& mixer)
{
    std::vector<GainSetting> volumes;
    for (uint32_t output = 0; output < mixer.Outputs(); ++output)
        volumes.push_back({mixer.Volume(output).volume, (mixer.Volume(output).flags & 1) != 0});
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
        if (wanted[channel] != (effect.*current)(channel))
            values.push_back({channel, wanted[channel]});
    return values;
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

    // Only writes that went through are counted: after a failure the count says what the unit now holds.
    *what = L"Setting the output volumes";
    NorvikStatus status = SetItems(volumes, &NorvikDevice::SetPinVolumes, device);
    if (status == NORVIK_STATUS_SUCCESS)
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
            return status;
        if (write.count != 0)
        {
            *what = write.what;
            status = write.write();
            if (status == NORVIK_STATUS_SUCCESS)
                *changed += static_cast<uint32_t>(write.count);
        }
    }
    return status;
}
