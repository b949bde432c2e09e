// The mixer's value mappings and texts, shared by the window, its strips, its cells and the weight control.
// Gains, volumes, weights and levels are in 0.01 dB.
#pragma once

#include "driverapi/NorvikIoctl.h"
#include "driverapi/NorvikValueTexts.h"

#include <cstdint>

namespace mixer_values
{
// Meters run from the floor (-60 dB) to full scale, one step per 0.01 dB.
constexpr int kMeterMax = 6000;

int MeterPosition(int16_t level);

// A short text in place, so that updates never allocate.
struct ShortText
{
    wchar_t text[32];
    const wchar_t* c_str() const { return text; }
};

// Whole decibels ("-6"), or "M" while the channel is muted.
ShortText VolumeText(const NorvikVolumeItem& item);
// Whole decibels of a connected crosspoint, "x" for one that is not connected.
ShortText CellText(const NorvikWeightItem& item);
// Decibels with two decimals: "-0.05", "6.00".
ShortText WeightText(int16_t weight);

constexpr const wchar_t* kNotAvailable = L"n/a";
} // namespace mixer_values
