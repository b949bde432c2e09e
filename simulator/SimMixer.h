// One unit's mixer: its pins, level meters, output volumes and crosspoint weights.
#pragma once

#include "driverapi/NorvikIoctl.h"
#include "simulator/SimRequest.h"

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <map>
#include <vector>

enum class SimLevelsMode
{
    Moving, // a deterministic wave that advances with every level request
    Off,    // every meter at the floor
    Fixed,  // every meter at one value
};

class SimMixer
{
  public:
    explicit SimMixer(uint8_t analogChannels = 16);

    struct Changes
    {
        bool volumes = false;
        bool weights = false;
    };

    // The mixer requests of the catalogue; INVALID_IOCTL for any other code.
    [[nodiscard]] NorvikStatus Handle(SimRequest& request, Changes* changes);

    // For the control commands: a volume change made at the unit itself.
    [[nodiscard]] NorvikStatus SetOutputVolume(NorvikPin pin, int16_t volume, bool mute);
    void SetLevelsMode(SimLevelsMode mode, int16_t fixedLevel);
    // Other pin lists: the first `outputs`, `hardwareInputs` and `softwareOutputs` pins of the unit's full
    // lists (larger counts keep a full list). Volumes of the output pins start again at 0 dB, unmuted;
    // weights stay.
    void SetPinCounts(uint32_t outputs, uint32_t hardwareInputs, uint32_t softwareOutputs);

    void DumpTo(nlohmann::json& out) const;

    static constexpr size_t kMaxItems = 1024;
    static constexpr int16_t kFloor = -6000;
    // The full lists of the largest unit: 16 analog, 2 S/P-DIF and 8 virtual outputs; 18 inputs of each kind.
    static constexpr uint32_t kOutputPins = 26;
    static constexpr uint32_t kInputPins = 18;

  private:
    struct Volume
    {
        int16_t volume = 0;
        bool mute = false;
    };
    struct Weight
    {
        int16_t weight = 0;
        bool connected = false;
    };

    NorvikStatus GetPins(SimRequest& request) const;
    NorvikStatus GetLevels(SimRequest& request, bool outputs);
    NorvikStatus Volumes(SimRequest& request, bool set, Changes* changes);
    NorvikStatus Weights(SimRequest& request, bool set, Changes* changes);
    int OutputIndex(NorvikPin pin) const;
    bool IsMixerInput(NorvikPin pin) const;
    int16_t LevelFor(size_t pinSeed) const;
    static uint32_t WeightKey(NorvikPin output, NorvikPin input);

    uint8_t analogChannels_;
    std::vector<NorvikPin> outputs_;
    std::vector<NorvikPin> hardwareInputs_;
    std::vector<NorvikPin> softwareOutputs_;
    std::vector<Volume> volumes_; // one per output pin
    std::map<uint32_t, Weight> weights_;
    SimLevelsMode levelsMode_ = SimLevelsMode::Moving;
    int16_t fixedLevel_ = 0;
    uint32_t tick_ = 0;
};
