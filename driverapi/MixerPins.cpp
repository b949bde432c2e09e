#include "driverapi/MixerPins.h"

#include <algorithm>
#include <iterator>

namespace
{
template <size_t N>
NorvikStatus ReadList(NorvikDevice& device, uint32_t selector, NorvikPin (&pins)[N], uint32_t* count)
{
    *count = static_cast<uint32_t>(N);
    const NorvikStatus status = device.GetMixerPins(selector, pins, count);
    *count = status == NORVIK_STATUS_SUCCESS ? std::min(*count, static_cast<uint32_t>(N)) : 0;
    return status;
}
} // namespace

NorvikStatus MixerPins::Read(NorvikDevice& device, bool hardwareInputs)
{
    // The second list is read even after the first failed: a mixer window shows whatever side it has.
    const NorvikStatus outputStatus = ReadList(device, NORVIK_PINS_MIXER_OUTPUTS, outputs, &outputCount);
    const NorvikStatus inputStatus =
        ReadList(device, MixerInputSelector(hardwareInputs), inputs, &inputCount);
    return outputStatus != NORVIK_STATUS_SUCCESS ? outputStatus : inputStatus;
}
