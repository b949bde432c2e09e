#include "ctl/UnitMixer.h"

#include "ctl/CtlArguments.h"
#include "driverapi/MixerPins.h"

using ctl_arguments::Folded;
using ctl_arguments::ParseCount;

NorvikStatus UnitMixer::Read(NorvikDevice& device, bool hardwareInputs, const wchar_t** what)
{
    hardwareInputs_ = hardwareInputs;
    *what = L"Reading the mixer pins";
    MixerPins pins;
    NorvikStatus status = pins.Read(device, hardwareInputs);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    outputs_.assign(pins.outputs, pins.outputs + 2 * MixerPairs(pins.outputCount));
    inputs_.assign(pins.inputs, pins.inputs + 2 * MixerPairs(pins.inputCount));
    LayOutItems();
    if (!volumes_.empty())
    {
        *what = L"Reading the output volumes";
        status = device.GetPinVolumes(volumes_.data(), Outputs());
    }
    if (status == NORVIK_STATUS_SUCCESS && !weights_.empty())
    {
        *what = L"Reading the crosspoint weights";
        status = device.GetCrosspointWeights(weights_.data(), static_cast<uint32_t>(weights_.size()));
    }
    return status;
}

void UnitMixer::LayOutItems()
{
    volumes_.assign(outputs_.size(), NorvikVolumeItem{});
    for (uint32_t output = 0; output < Outputs(); ++output)
        volumes_[output].pin = outputs_[output];
    weights_.assign(outputs_.size() * inputs_.size(), NorvikWeightItem{});
    for (uint32_t input = 0; input < Inputs(); ++input)
    {
        for (uint32_t output = 0; output < Outputs(); ++output)
        {
            weights_[input * Outputs() + output].output = outputs_[output];
            weights_[input * Outputs() + output].input = inputs_[input];
        }
    }
}

std::wstring UnitMixer::PairLabel(MixerSide side, uint32_t index) const
{
    const std::vector<NorvikPin>& pins = Pins(side);
    const uint32_t left = index & ~1u;
    return MixerPairLabel(side, pins[left], pins[left + 1]);
}

std::wstring UnitMixer::ChannelLabel(MixerSide side, uint32_t index) const
{
    return PairLabel(side, index) + ((index & 1) == 0 ? L" L" : L" R");
}

UnitMixer::Match UnitMixer::Resolve(MixerSide side, const std::wstring& label,
                                    std::vector<uint32_t>* channels) const
{
    const uint32_t count = static_cast<uint32_t>(Pins(side).size());
    const std::wstring folded = Folded(label);
    channels->clear();
    uint32_t first = 0;
    uint32_t second = 0;
    const size_t slash = folded.find(L'/');
    if (slash == std::wstring::npos && ParseCount(folded, count, &first) && first >= 1)
    {
        channels->push_back(first - 1);
        return Match::Channel;
    }
    if (slash != std::wstring::npos && ParseCount(folded.substr(0, slash), count, &first) &&
        ParseCount(folded.substr(slash + 1), count, &second))
    {
        if (first % 2 == 0 || second != first + 1)
            return Match::None;
        *channels = {first - 1, first};
        return Match::Pair;
    }
    return ResolvePairLabel(side, folded, channels);
}

UnitMixer::Match UnitMixer::ResolvePairLabel(MixerSide side, const std::wstring& folded,
                                             std::vector<uint32_t>* channels) const
{
    const uint32_t count = static_cast<uint32_t>(Pins(side).size());
    for (uint32_t left = 0; left < count; left += 2)
    {
        const std::wstring pair = Folded(PairLabel(side, left));
        const uint32_t found = folded == pair ? 2 : folded == pair + L"l" ? 0 : folded == pair + L"r" ? 1 : 3;
        if (found == 3)
            continue;
        if (!channels->empty())
        {
            channels->clear();
            return Match::Ambiguous;
        }
        if (found == 2)
            *channels = {left, left + 1};
        else
            channels->push_back(left + found);
    }
    return channels->empty() ? Match::None : channels->size() == 2 ? Match::Pair : Match::Channel;
}
