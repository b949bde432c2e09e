// One of a unit's two mixers: the pins of both sides, the output volumes and every crosspoint, read in one
// request each; and the labels by which a user names its channels.
#pragma once

#include "driverapi/MixerPairLabel.h"
#include "driverapi/NorvikDevice.h"

#include <cstdint>
#include <string>
#include <vector>

class UnitMixer
{
  public:
    // Reads the output pins, the input pins (hardware inputs or software outputs), the volumes and the
    // weights. On failure *what names the read that failed.
    [[nodiscard]] NorvikStatus Read(NorvikDevice& device, bool hardwareInputs, const wchar_t** what);

    bool HardwareInputs() const { return hardwareInputs_; }
    // Only pins that make up a whole pair count (MixerPairs).
    uint32_t Outputs() const { return static_cast<uint32_t>(outputs_.size()); }
    uint32_t Inputs() const { return static_cast<uint32_t>(inputs_.size()); }
    const std::vector<NorvikPin>& OutputPins() const { return outputs_; }
    const std::vector<NorvikPin>& InputPins() const { return inputs_; }
    // One item per output channel, and one per crossing of an input channel (row) with an output channel.
    const NorvikVolumeItem& Volume(uint32_t output) const { return volumes_[output]; }
    const NorvikWeightItem& Weight(uint32_t input, uint32_t output) const
    {
        return weights_[input * Outputs() + output];
    }
    const std::vector<NorvikVolumeItem>& Volumes() const { return volumes_; }
    const std::vector<NorvikWeightItem>& Weights() const { return weights_; } // row by row

    // The label of the pair that holds channel `index`: "Analog Out 1/2"; ChannelLabel adds " L" or " R".
    std::wstring PairLabel(MixerSide side, uint32_t index) const;
    std::wstring ChannelLabel(MixerSide side, uint32_t index) const;

    enum class Match
    {
        Pair,    // both channels of a pair
        Channel, // one channel
        None,
        Ambiguous, // a label that more than one pair carries
    };
    // What a typed label names: a pair label ("Analog Out 1/2"), the same with L or R, or channel numbers
    // counted from 1 along the side ("17/18", "17"). Blanks and letter case do not matter.
    Match Resolve(MixerSide side, const std::wstring& label, std::vector<uint32_t>* channels) const;

  private:
    // The items of every pin and crossing, addressed and zeroed, for the reads to fill.
    void LayOutItems();
    // Resolve for a pair label, with or without L or R; `folded` as Folded gives it.
    Match ResolvePairLabel(MixerSide side, const std::wstring& folded, std::vector<uint32_t>* channels) const;
    const std::vector<NorvikPin>& Pins(MixerSide side) const
    {
        return side == MixerSide::Row ? inputs_ : outputs_;
    }

    bool hardwareInputs_ = false;
    std::vector<NorvikPin> outputs_;
    std::vector<NorvikPin> inputs_;
    std::vector<NorvikVolumeItem> volumes_;
    std::vector<NorvikWeightItem> weights_; // row-major: input, then output
};
