// The pins of a unit's mixer as both programs read them: the mixer's outputs, and its inputs (the hardware
// inputs, or the software outputs), each list bounded to what the mixer window has room for.
#pragma once

#include "driverapi/NorvikDevice.h"

#include <cstdint>

constexpr uint32_t kMaxMixerOutputPins = 26;
constexpr uint32_t kMaxMixerInputPins = 18;
// Four crosspoints for every crossing of an input pair with an output pair.
constexpr uint32_t kMaxMixerCrosspoints = (kMaxMixerInputPins / 2) * (kMaxMixerOutputPins / 2) * 4;

constexpr uint32_t MixerInputSelector(bool hardwareInputs)
{
    return hardwareInputs ? NORVIK_PINS_HARDWARE_INPUTS : NORVIK_PINS_SOFTWARE_OUTPUTS;
}

// Only whole pairs make strips, rows and columns: a last unpaired pin is left out.
constexpr uint32_t MixerPairs(uint32_t pinCount)
{
    return pinCount / 2;
}

// Both pin lists of one mixer in fixed arrays, never reallocated: the mixer window's controls point into
// them.
struct MixerPins
{
    NorvikPin outputs[kMaxMixerOutputPins] = {};
    uint32_t outputCount = 0;
    NorvikPin inputs[kMaxMixerInputPins] = {};
    uint32_t inputCount = 0;

    // Reads both lists, outputs first; the first failure's status, a failed list left empty. Counts never
    // exceed the arrays, whatever the driver answers.
    [[nodiscard]] NorvikStatus Read(NorvikDevice& device, bool hardwareInputs);
};
