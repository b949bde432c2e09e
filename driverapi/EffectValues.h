// A unit's echo effect as both programs read and show it: how its values are asked for, its limits and
// its texts.
#pragma once

#include "driverapi/NorvikDevice.h"

#include <cstdint>
#include <iterator>
#include <string>

// Channel pairs are labelled with two-digit numbers ("Channel 97/98"), which keeps sorted lists in channel
// order; channels past this are not offered.
constexpr uint32_t kMaxEffectChannels = 98;
// One set request carries at most this many (channel, value) pairs.
constexpr uint32_t kMaxPluginPairs = static_cast<uint32_t>(std::size(NorvikPluginRecord{}.pairs));
constexpr uint32_t kMaxEffectAmplification = 1000; // 1.00

// The unit-wide selectors (channel count, maximum delay) answer in word 1; the per-channel ones (delay,
// amplification) are asked with count 1 and the channel, and answer in word 3. `channel` is ignored for
// the unit-wide ones.
[[nodiscard]] NorvikStatus QueryEffectValue(NorvikDevice& device, uint32_t selector, uint32_t channel,
                                            uint32_t* answer);
// Sets both channels of the pair that starts at `first` in one request, so that they never differ.
[[nodiscard]] NorvikStatus SetEffectPairValue(NorvikDevice& device, uint32_t selector, uint32_t first,
                                              uint32_t value);

// "Channel 01/02" for the pair that starts at the 0-based channel `first`.
std::wstring EffectPairLabel(uint32_t first);
// "100 ms".
std::wstring EffectDelayText(uint32_t milliseconds);
// 0..1000 as "0.00" to "1.00".
std::wstring EffectAmplificationText(uint32_t thousandths);
