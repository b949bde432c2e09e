#include "ctl/UnitEffect.h"

#include "ctl/CtlArguments.h"
#include "ctl/CtlOutput.h"

#include <algorithm>

namespace
{
// The unit-wide selectors (channel count, maximum delay) answer in word 1; the per-channel ones are asked
// with count 1 and the channel, and answer in word 3. Every other word is zero.
NorvikStatus Query(NorvikDevice& device, uint32_t selector, uint32_t channel, uint32_t* answer)
{
    const bool perChannel = selector == NORVIK_PLUGIN_DELAY || selector == NORVIK_PLUGIN_AMPLIFICATION;
    NorvikPluginRecord record{};
    record.selector = selector;
    if (perChannel)
    {
        record.count = 1;
        record.pairs[0].channel = channel;
    }
    const NorvikStatus status = device.QueryPlugin(&record);
    if (status == NORVIK_STATUS_SUCCESS)
        *answer = perChannel ? record.pairs[0].value : record.count;
    return status;
}
} // namespace

NorvikStatus UnitEffect::Read(NorvikDevice& device)
{
    uint32_t channels = 0;
    NorvikStatus status = Query(device, NORVIK_PLUGIN_CHANNEL_COUNT, 0, &channels);
    if (status == NORVIK_STATUS_SUCCESS)
        status = Query(device, NORVIK_PLUGIN_MAX_DELAY, 0, &maxDelay_);
    channels = std::min(channels, kMaxChannels);
    delays_.assign(channels, 0);
    amplifications_.assign(channels, 0);
    for (uint32_t channel = 0; channel < channels && status == NORVIK_STATUS_SUCCESS; ++channel)
    {
        status = Query(device, NORVIK_PLUGIN_DELAY, channel, &delays_[channel]);
        if (status == NORVIK_STATUS_SUCCESS)
            status = Query(device, NORVIK_PLUGIN_AMPLIFICATION, channel, &amplifications_[channel]);
    }
    return status;
}

NorvikStatus UnitEffect::Set(NorvikDevice& device, uint32_t selector,
                             const std::vector<std::pair<uint32_t, uint32_t>>& values)
{
    if (values.empty() || values.size() > kMaxChannels)
        return NORVIK_STATUS_INVALID_PARAMETER;
    NorvikPluginRecord record{};
    record.selector = selector;
    record.count = static_cast<uint32_t>(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        record.pairs[i] = {values[i].first, values[i].second};
    return device.SetPluginParameters(record);
}

std::wstring EffectPairLabel(uint32_t left)
{
    return FormatText(L"Channel %02u/%02u", left + 1, left + 2);
}

bool ParseEffectPair(const std::wstring& text, uint32_t channels, uint32_t* left)
{
    std::wstring folded = Folded(text);
    if (folded.compare(0, 7, L"channel") == 0)
        folded.erase(0, 7);
    const size_t slash = folded.find(L'/');
    uint32_t first = 0;
    uint32_t second = 0;
    if (slash == std::wstring::npos ||
        !ParseCount(folded.substr(0, slash), UnitEffect::kMaxChannels, &first) ||
        !ParseCount(folded.substr(slash + 1), UnitEffect::kMaxChannels, &second))
        return false;
    // Pairs start at odd channel numbers; an odd last channel has no pair, as on the effect page.
    if (first == 0 || first % 2 == 0 || second != first + 1 || second > channels)
        return false;
    *left = first - 1;
    return true;
}

std::wstring AmplificationText(uint32_t thousandths)
{
    return FormatText(L"%u.%02u", thousandths / 1000, (thousandths % 1000) / 10);
}
