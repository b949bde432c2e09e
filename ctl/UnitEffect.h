// A unit's echo effect as the effect page reads it: the channel count, the maximum delay, and each
// channel's delay and amplification.
#pragma once

#include "driverapi/NorvikDevice.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class UnitEffect
{
  public:
    // A plug-in record carries at most this many (channel, value) pairs; more channels are not addressable.
    static constexpr uint32_t kMaxChannels = 64;
    static constexpr uint32_t kMaxAmplification = 1000; // 1.00

    // Reads everything; the status of the first request that failed.
    [[nodiscard]] NorvikStatus Read(NorvikDevice& device);

    uint32_t Channels() const { return static_cast<uint32_t>(delays_.size()); }
    uint32_t MaxDelay() const { return maxDelay_; }
    uint32_t Delay(uint32_t channel) const { return delays_[channel]; }
    uint32_t Amplification(uint32_t channel) const { return amplifications_[channel]; }

    // One set request with every (channel, value) pair; selector NORVIK_PLUGIN_DELAY or
    // NORVIK_PLUGIN_AMPLIFICATION. At most kMaxChannels pairs.
    [[nodiscard]] static NorvikStatus Set(NorvikDevice& device, uint32_t selector,
                                          const std::vector<std::pair<uint32_t, uint32_t>>& values);

  private:
    uint32_t maxDelay_ = 0;
    std::vector<uint32_t> delays_;
    std::vector<uint32_t> amplifications_;
};

// "Channel 01/02" for the pair that starts at `left` (counted from 0), as the effect page lists it.
std::wstring EffectPairLabel(uint32_t left);
// The left channel of a pair typed as "1/2", "01/02" or "Channel 01/02"; false unless it is a whole pair
// of `channels`.
bool ParseEffectPair(const std::wstring& text, uint32_t channels, uint32_t* left);
// 0..1000 as the effect page prints it: 500 is "0.50".
std::wstring AmplificationText(uint32_t thousandths);
