// The label of a stereo pair of mixer pins, as the mixer window heads its rows and columns.
#pragma once

#include "driverapi/NorvikIoctl.h"

#include <string>

enum class MixerSide
{
    Row,    // the mixer's inputs: hardware inputs or software outputs
    Column, // the mixer's outputs: hardware outputs and virtual inputs
};

// Named after the left pin's kind, numbered with both pins' channels counted from 1 ("Analog Out 1/2");
// "unknown" for a kind that has no label on that side.
std::wstring MixerPairLabel(MixerSide side, const NorvikPin& left, const NorvikPin& right);
