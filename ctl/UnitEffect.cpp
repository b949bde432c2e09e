#include "ctl/UnitEffect.h"

#include <algorithm>

namespace
{
using EffectValues = std::vector<std::pair<uint32_t, uint32_t>>;

// How many of the values from `first` on fit in one request without parting a stereo pair: a left channel
// whose right one follows waits for the next request.
size_t RequestLength(const EffectValues& values, size_t first)
{
    size_t length = std::min<size_t>(values.size() - first, kMaxPluginPairs);
    const size_t end = first + length;
    if (end < values.size() && values[end - 1].first % 2 == 0 &&
        values[end].first == values[end - 1].first + 1)
        --length;
    return length;
}
} // namespace

NorvikStatus UnitEffect::Read(NorvikDevice& device)
{
    uint32_t channels = 0;
    NorvikStatus status = QueryEffectValue(device, NORVIK_PLUGIN_CHANNEL_COUNT, 0, &channels);
    if (status == NORVIK_STATUS_SUCCESS)
        status = QueryEffectValue(device, NORVIK_PLUGIN_MAX_DELAY, 0, &maxDelay_);
    channels = std::min(channels, kMaxEffectChannels);
    delays_.assign(channels, 0);
    amplifications_.assign(channels, 0);
    for (uint32_t channel = 0; channel < channels && status == NORVIK_STATUS_SUCCESS; ++channel)
    {
        status = QueryEffectValue(device, NORVIK_PLUGIN_DELAY, channel, &delays_[channel]);
        if (status == NORVIK_STATUS_SUCCESS)
        {
            status =
                QueryEffectValue(device, NORVIK_PLUGIN_AMPLIFICATION, channel, &amplifications_[channel]);
        }
    }
    return status;
}

NorvikStatus UnitEffect::Set(NorvikDevice& device, uint32_t selector, const EffectValues& values,
                             uint32_t* written)
{
    if (written != nullptr)
        *written = 0;
    if (values.empty())
        return NORVIK_STATUS_INVALID_PARAMETER;
    for (size_t first = 0; first < values.size();)
    {
        NorvikPluginRecord record{};
        record.selector = selector;
        record.count = static_cast<uint32_t>(RequestLength(values, first));
        for (uint32_t i = 0; i < record.count; ++i)
            record.pairs[i] = {values[first + i].first, values[first + i].second};
        const NorvikStatus status = device.SetPluginParameters(record);
        if (status != NORVIK_STATUS_SUCCESS)
            return status;
        first += record.count;
        if (written != nullptr)
            *written += record.count;
    }
    return NORVIK_STATUS_SUCCESS;
}
