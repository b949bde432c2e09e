#pragma once
#include "driverapi/NorvikIoctl.h"

#include <cstdint>

// The fixed names of a unit's single ASIO channels and the table of its Windows sound endpoints.
namespace SoundDeviceTables
{
constexpr uint32_t kKindAnalog = 1;
constexpr uint32_t kKindSpdif = 10;
constexpr uint32_t kKindMidi = 20;
constexpr uint32_t kKindVirtual = 40;

constexpr uint32_t kFormatPcm = 0;
constexpr uint32_t kFormatSpdifOut = 1;
constexpr uint32_t kFormatMidi = 2;

// Zeroes *names, then fills outputs and inputs; the analog channels are left out of a half whose flag says
// the unit's topology has an item of kind 2.
void BuildChannelNames(bool skipAnalogOutputs, bool skipAnalogInputs, NorvikChannelNames* names);

// Zeroes *endpoints, then adds the groups in the driver's order; a non-zero configuration leaves out the
// analog endpoints of its direction.
void BuildWdmEndpoints(uint32_t renderConfig, uint32_t captureConfig, NorvikWdmEndpoints* endpoints);
} // namespace SoundDeviceTables
