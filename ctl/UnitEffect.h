// A unit's echo effect as corvexctl and the service read it: the channel count, the maximum delay, and each
// channel's delay and amplification.
#pragma once

#include "driverapi/EffectValues.h"

#include <cstdint>
#include <utility>
#include <vector>

class UnitEffect
{
  public:
    // Reads everything, for at most kMaxEffectChannels channels; the status of the first request that
    // failed.
    [[nodiscard]] NorvikStatus Read(NorvikDevice& device);

    uint32_t Channels() const { return static_cast<uint32_t>(delays_.size()); }
    uint32_t MaxDelay() const { return maxDelay_; }
    uint32_t Delay(uint32_t channel) const { return delays_[channel]; }
    uint32_t Amplification(uint32_t channel) const { return amplifications_[channel]; }

    // Sets every (channel, value) pair, in channel order; selector NORVIK_PLUGIN_DELAY or
    // NORVIK_PLUGIN_AMPLIFICATION. A list longer than one plug-in record takes several requests, and both
    // channels of a stereo pair always go in the same one. *written, when given, counts the pairs of the
    // requests that went through.
    [[nodiscard]] static NorvikStatus Set(NorvikDevice& device, uint32_t selector,
                                          const std::vector<std::pair<uint32_t, uint32_t>>& values,
                                          uint32_t* written = nullptr);

  private:
    uint32_t maxDelay_ = 0;
    std::vector<uint32_t> delays_;
    std::vector<uint32_t> amplifications_;
};
