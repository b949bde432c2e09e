#include "simulator/SimMixer.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>

namespace
{
constexpr uint8_t kSpdifChannels = 2;
constexpr uint8_t kVirtualChannels = 8;
constexpr uint8_t kMostAnalogChannels = 16;
static_assert(kMostAnalogChannels + kSpdifChannels + kVirtualChannels == SimMixer::kOutputPins,
              "full outputs");
static_assert(kMostAnalogChannels + kSpdifChannels == SimMixer::kInputPins, "full inputs");
// Gains the unit can realise, in 0.01 dB; settings beyond are clamped as a real unit would.
constexpr int16_t kMinGain = -9000;
constexpr int16_t kMaxGain = 9000;

void AddPins(std::vector<NorvikPin>* pins, uint8_t kind, uint8_t count)
{
    for (uint8_t channel = 0; channel < count; ++channel)
        pins->push_back(NorvikPin{kind, channel, {0, 0}});
}

bool SamePin(NorvikPin a, NorvikPin b)
{
    return a.kind == b.kind && a.channel == b.channel;
}

bool Contains(const std::vector<NorvikPin>& pins, NorvikPin pin)
{
    return std::any_of(
        pins.begin(), pins.end(), [&](NorvikPin p) { return SamePin(p, pin); });
}

int16_t Clamp(int16_t gain)
{
    return std::min(kMaxGain, std::max(kMinGain, gain));
}

// Arrays of n items of one size, in and out the same: at least one, at most kMaxItems.
template <class Item> NorvikStatus ReadItems(const SimRequest& request, std::vector<Item>* items)
{
    size_t size = request.in.size();
    if (size == 0 || size % sizeof(Item) != 0 || size / sizeof(Item) > SimMixer::kMaxItems)
        return NORVIK_STATUS_INVALID_INBUFFER_SIZE;
    if (request.outSize != size)
        return NORVIK_STATUS_INVALID_OUTBUFFER_SIZE;
    items->resize(size / sizeof(Item));
    std::memcpy(items->data(), request.in.data(), size);
    return NORVIK_STATUS_SUCCESS;
}

std::string PinText(NorvikPin pin)
{
    return std::to_string(pin.kind) + ":" + std::to_string(pin.channel);
}
} // namespace

SimMixer::SimMixer(uint8_t analogChannels) : analogChannels_(analogChannels)
{
    SetPinCounts(kOutputPins, kInputPins, kInputPins);
    // Playback goes straight to the matching hardware outputs until someone routes it otherwise.
    for (uint8_t channel = 0; channel < analogChannels; ++channel)
        weights_[WeightKey({NORVIK_PIN_ANALOG, channel, {}}, {NORVIK_PIN_SOFTWARE, channel, {}})] = {0, true};
    for (uint8_t channel = 0; channel < kSpdifChannels; ++channel)
        weights_[WeightKey({NORVIK_PIN_SPDIF, channel, {}}, {NORVIK_PIN_SOFTWARE_SPDIF, channel, {}})] = {
            0, true};
}

NorvikStatus SimMixer::Handle(SimRequest& request, Changes* changes)
{
    switch (request.code)
    {
    case NORVIK_IOCTL_GET_MIXER_PINS:
        return GetPins(request);
    case NORVIK_IOCTL_GET_INPUT_LEVELS:
        return GetLevels(request, false);
    case NORVIK_IOCTL_GET_OUTPUT_LEVELS:
        return GetLevels(request, true);
    case NORVIK_IOCTL_GET_PIN_VOLUMES:
        return Volumes(request, false, changes);
    case NORVIK_IOCTL_SET_PIN_VOLUMES:
        return Volumes(request, true, changes);
    case NORVIK_IOCTL_GET_CROSSPOINT_WEIGHTS:
        return Weights(request, false, changes);
    case NORVIK_IOCTL_SET_CROSSPOINT_WEIGHTS:
        return Weights(request, true, changes);
    default:
        return NORVIK_STATUS_INVALID_IOCTL;
    }
}

// Answers as many pins as the output holds; the caller counts them by the bytes returned.
NorvikStatus SimMixer::GetPins(SimRequest& request) const
{
    uint32_t selector;
    if (request.in.size() != sizeof(selector))
        return NORVIK_STATUS_INVALID_INBUFFER_SIZE;
    if (request.outSize == 0 || request.outSize % sizeof(NorvikPin) != 0)
        return NORVIK_STATUS_INVALID_OUTBUFFER_SIZE;
    std::memcpy(&selector, request.in.data(), sizeof(selector));
    const std::vector<NorvikPin>* pins = selector == NORVIK_PINS_MIXER_OUTPUTS      ? &outputs_
                                         : selector == NORVIK_PINS_HARDWARE_INPUTS  ? &hardwareInputs_
                                         : selector == NORVIK_PINS_SOFTWARE_OUTPUTS ? &softwareOutputs_
                                                                                    : nullptr;
    if (pins == nullptr)
        return NORVIK_STATUS_INVALID_PARAMETER;
    size_t count = std::min<size_t>(pins->size(), request.outSize / sizeof(NorvikPin));
    request.WriteOut(pins->data(), count * sizeof(NorvikPin));
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus SimMixer::GetLevels(SimRequest& request, bool outputs)
{
    std::vector<NorvikLevelItem> items;
    NorvikStatus status = ReadItems(request, &items);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    ++tick_;
    for (NorvikLevelItem& item : items)
    {
        if (outputs ? OutputIndex(item.pin) < 0 : !IsMixerInput(item.pin))
            return NORVIK_STATUS_INVALID_PARAMETER;
        size_t seed = item.pin.kind * 32u + item.pin.channel + (outputs ? 0u : 256u);
        item.level = LevelFor(seed);
    }
    request.WriteOut(items.data(), items.size() * sizeof(NorvikLevelItem));
    return NORVIK_STATUS_SUCCESS;
}

// A triangle wave between the floor and full scale, each pin at its own phase.
int16_t SimMixer::LevelFor(size_t pinSeed) const
{
    switch (levelsMode_)
    {
    case SimLevelsMode::Off:
        return kFloor;
    case SimLevelsMode::Fixed:
        return fixedLevel_;
    case SimLevelsMode::Moving:
    default:
    {
        uint32_t phase = static_cast<uint32_t>((tick_ * 150u + pinSeed * 700u) % 12000u);
        uint32_t height = phase < 6000 ? phase : 12000 - phase;
        return static_cast<int16_t>(kFloor + static_cast<int>(height));
    }
    }
}

NorvikStatus SimMixer::Volumes(SimRequest& request, bool set, Changes* changes)
{
    std::vector<NorvikVolumeItem> items;
    NorvikStatus status = ReadItems(request, &items);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    for (const NorvikVolumeItem& item : items)
        if (OutputIndex(item.pin) < 0)
            return NORVIK_STATUS_INVALID_PARAMETER;
    for (NorvikVolumeItem& item : items)
    {
        Volume& volume = volumes_[OutputIndex(item.pin)];
        if (set)
        {
            Volume updated{Clamp(item.volume), item.IsMuted()};
            changes->volumes |= updated.volume != volume.volume || updated.mute != volume.mute;
            volume = updated;
        }
        item.volume = volume.volume;
        item.SetMuted(volume.mute);
    }
    request.WriteOut(items.data(), items.size() * sizeof(NorvikVolumeItem));
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus SimMixer::Weights(SimRequest& request, bool set, Changes* changes)
{
    std::vector<NorvikWeightItem> items;
    NorvikStatus status = ReadItems(request, &items);
    if (status != NORVIK_STATUS_SUCCESS)
        return status;
    for (const NorvikWeightItem& item : items)
        if (OutputIndex(item.output) < 0 || !IsMixerInput(item.input))
            return NORVIK_STATUS_INVALID_PARAMETER;
    for (NorvikWeightItem& item : items)
    {
        uint32_t key = WeightKey(item.output, item.input);
        auto found = weights_.find(key);
        Weight weight = found == weights_.end() ? Weight{} : found->second;
        if (set)
        {
            Weight updated{Clamp(item.weight), item.IsConnected()};
            changes->weights |= updated.weight != weight.weight || updated.connected != weight.connected;
            weight = weights_[key] = updated;
        }
        item.weight = weight.weight;
        item.SetConnected(weight.connected);
    }
    request.WriteOut(items.data(), items.size() * sizeof(NorvikWeightItem));
    return NORVIK_STATUS_SUCCESS;
}

NorvikStatus SimMixer::SetOutputVolume(NorvikPin pin, int16_t volume, bool mute)
{
    int index = OutputIndex(pin);
    if (index < 0)
        return NORVIK_STATUS_INVALID_PARAMETER;
    volumes_[index] = Volume{Clamp(volume), mute};
    return NORVIK_STATUS_SUCCESS;
}

void SimMixer::SetPinCounts(uint32_t outputs, uint32_t hardwareInputs, uint32_t softwareOutputs)
{
    outputs_.clear();
    hardwareInputs_.clear();
    softwareOutputs_.clear();
    AddPins(&outputs_, NORVIK_PIN_ANALOG, analogChannels_);
    AddPins(&outputs_, NORVIK_PIN_SPDIF, kSpdifChannels);
    AddPins(&outputs_, NORVIK_PIN_VIRTUAL, kVirtualChannels);
    AddPins(&hardwareInputs_, NORVIK_PIN_ANALOG, analogChannels_);
    AddPins(&hardwareInputs_, NORVIK_PIN_SPDIF, kSpdifChannels);
    AddPins(&softwareOutputs_, NORVIK_PIN_SOFTWARE, analogChannels_);
    AddPins(&softwareOutputs_, NORVIK_PIN_SOFTWARE_SPDIF, kSpdifChannels);
    outputs_.resize(std::min<size_t>(outputs, outputs_.size()));
    hardwareInputs_.resize(std::min<size_t>(hardwareInputs, hardwareInputs_.size()));
    softwareOutputs_.resize(std::min<size_t>(softwareOutputs, softwareOutputs_.size()));
    volumes_.assign(outputs_.size(), Volume{});
}

void SimMixer::SetLevelsMode(SimLevelsMode mode, int16_t fixedLevel)
{
    levelsMode_ = mode;
    fixedLevel_ = fixedLevel;
}

int SimMixer::OutputIndex(NorvikPin pin) const
{
    for (size_t i = 0; i < outputs_.size(); ++i)
        if (SamePin(outputs_[i], pin))
            return static_cast<int>(i);
    return -1;
}

bool SimMixer::IsMixerInput(NorvikPin pin) const
{
    return Contains(hardwareInputs_, pin) || Contains(softwareOutputs_, pin);
}

uint32_t SimMixer::WeightKey(NorvikPin output, NorvikPin input)
{
    return static_cast<uint32_t>(output.kind) << 24 | static_cast<uint32_t>(output.channel) << 16 |
           static_cast<uint32_t>(input.kind) << 8 | input.channel;
}

void SimMixer::DumpTo(nlohmann::json& out) const
{
    static const char* const kModes[] = {"moving", "off", "fixed"};
    out["levels"] = {{"mode", kModes[static_cast<int>(levelsMode_)]}, {"fixed", fixedLevel_}};
    nlohmann::json volumes = nlohmann::json::array();
    for (size_t i = 0; i < outputs_.size(); ++i)
        volumes.push_back(
            {{"pin", PinText(outputs_[i])}, {"volume", volumes_[i].volume}, {"mute", volumes_[i].mute}});
    out["volumes"] = volumes;
    nlohmann::json weights = nlohmann::json::array();
    for (const auto& entry : weights_)
    {
        NorvikPin output{
            static_cast<uint8_t>(entry.first >> 24), static_cast<uint8_t>(entry.first >> 16), {}};
        NorvikPin input{static_cast<uint8_t>(entry.first >> 8), static_cast<uint8_t>(entry.first), {}};
        weights.push_back({{"output", PinText(output)},
                           {"input", PinText(input)},
                           {"weight", entry.second.weight},
                           {"connected", entry.second.connected}});
    }
    out["weights"] = weights;
}
