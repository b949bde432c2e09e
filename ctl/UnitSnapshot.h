// A snapshot of one unit: output volumes and mutes, every crosspoint of both mixers, S/P-DIF pass-through,
// both bypass switches and the effect's parameters, in the unit's pin layout. Read from a unit, written to
// and parsed from a JSON file, and written back to a unit as the differences only.
#pragma once

#include "ctl/UnitEffect.h"
#include "ctl/UnitMixer.h"

#include <cstdint>
#include <string>
#include <vector>

// The unit as it is now, with the records through which the differences are written.
struct UnitState
{
    UnitMixer hardware;
    UnitMixer software;
    bool passThrough = false;
    bool volumeBypass = false;
    bool muteBypass = false;
    bool hasEffect = false;
    UnitEffect effect;
};

// On failure *what names the read that failed. CHANNEL_CONFIG_CHANGED when the two mixers report different
// outputs.
[[nodiscard]] NorvikStatus ReadUnitState(NorvikDevice& device, UnitState* state, const wchar_t** what);

// An output's volume in 0.01 dB, and its mute.
struct VolumeSetting
{
    int16_t volume = 0;
    bool muted = false;
    bool operator!=(const VolumeSetting& other) const
    {
        return volume != other.volume || muted != other.muted;
    }
};

// A crosspoint's weight in 0.01 dB, and whether it is connected; a disconnected crosspoint keeps its weight
// for the next connection.
struct WeightSetting
{
    int16_t weight = 0;
    bool connected = false;
    bool operator!=(const WeightSetting& other) const
    {
        return weight != other.weight || connected != other.connected;
    }
};

struct UnitSnapshot
{
    static constexpr uint32_t kFormatVersion = 1;

    std::vector<NorvikPin> outputs;
    std::vector<NorvikPin> hardwareInputs;
    std::vector<NorvikPin> softwareOutputs;
    uint32_t effectChannels = 0;

    std::vector<VolumeSetting> volumes;         // one per output
    std::vector<WeightSetting> hardwareWeights; // one per crossing, row by row (input, then output)
    std::vector<WeightSetting> softwareWeights;
    bool passThrough = false;
    bool volumeBypass = false;
    bool muteBypass = false;
    std::vector<uint32_t> delays; // one per effect channel, in ms
    std::vector<uint32_t> amplifications;
};

UnitSnapshot SnapshotOf(const UnitState& state);
bool SameLayout(const UnitSnapshot& a, const UnitSnapshot& b);
// The layout in words, for the message that refuses another one.
std::wstring LayoutText(const UnitSnapshot& snapshot);
// For two layouts with the same counts: the first pair of pins that differs, in words; empty when none does.
std::wstring PinOrderDifference(const UnitSnapshot& snapshot, const UnitSnapshot& unit);

// The file's text: JSON with the format name, its version, the unit's serial and the layout.
std::string SnapshotJson(const UnitSnapshot& snapshot, const std::wstring& serial);
// Checks every member's type, count and range; false with the problem.
bool ParseSnapshot(const std::string& text, UnitSnapshot* snapshot, std::wstring* problem);

// Writes to the unit what differs between `wanted` and `current` (same layout), one request per kind of
// setting; *changed counts the settings written by requests that succeeded. On failure *what names the
// request that failed.
[[nodiscard]] NorvikStatus ApplySnapshot(NorvikDevice& device, const UnitState& current,
                                         const UnitSnapshot& wanted, uint32_t* changed, const wchar_t** what);
